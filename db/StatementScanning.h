#pragma once

#include <QStringView>
#include <array>

// How the statement parser and the statement skeleton read characters and quoted text: one set
// of rules, so that a skeleton reads a text exactly as the parser would.
namespace tarnwick {

// What a character below 128 is; everything above is part of a word.
enum CharFlag : unsigned char { Space = 1, Punctuation = 2, NameStart = 4, NamePart = 8 };

inline constexpr std::array<unsigned char, 128> AsciiFlags = [] {
    std::array<unsigned char, 128> flags{};
    for (char c : {' ', '\t', '\r', '\n', '\f', '\v'})
        flags[static_cast<unsigned char>(c)] = Space;
    for (char c : {'(', ')', ',', '=', '*', ';', '\'', '#'})
        flags[static_cast<unsigned char>(c)] = Punctuation;
    for (int c = 0; c < 128; ++c) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_')
            flags[c] = NameStart | NamePart;
        else if (c >= '0' && c <= '9')
            flags[c] = NamePart;
    }
    return flags;
}();

inline bool IsWordEnd(char16_t c) {
    return c < AsciiFlags.size() && (AsciiFlags[c] & (Space | Punctuation));
}

// The closing quote of the text literal whose inside starts at `from`, or -1 when none closes
// it; '' inside stands for one quote and sets `doubledQuotes`.
inline qsizetype TextLiteralEnd(QStringView text, qsizetype from, bool& doubledQuotes) {
    const char16_t* const chars = text.utf16();
    doubledQuotes = false;
    for (qsizetype i = from; i < text.size(); ++i) {
        if (chars[i] != u'\'')
            continue;
        if (i + 1 < text.size() && chars[i + 1] == u'\'') {
            doubledQuotes = true;
            ++i;
            continue;
        }
        return i;
    }
    return -1;
}

} // namespace tarnwick
