#pragma once

#include <QString>
#include <QStringView>
#include <cmath>

// The few text rules that the file readers and the statement parser share, each in one place.
namespace tarnwick {

// The characters that number and date reading skip: blank, tab, CR and LF.
constexpr bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}
constexpr bool IsBlank(char c) {
    return IsBlank(char16_t(static_cast<unsigned char>(c)));
}
inline bool IsBlank(QChar c) {
    return IsBlank(c.unicode());
}

// Without blanks at both ends (for a field read as a number or a date).
template <typename View> View TrimBlanks(View text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// Without the blank padding (spaces) of a fixed-width field at its end, or at both ends. SQL
// compares text as if padded with blanks, so the padding carries nothing.
template <typename View> View TrimTrailingPadding(View text) {
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == ' ')
        --end;
    return text.first(end);
}
template <typename View> View TrimPadding(View text) {
    qsizetype begin = 0;
    while (begin < text.size() && text[begin] == ' ')
        ++begin;
    return TrimTrailingPadding(text.sliced(begin));
}

// Appends `text` for the inside of an SQL text literal: each single quote doubled.
inline void AppendSqlText(QString& out, QStringView text) {
    if (!text.contains(u'\'')) {
        out.append(text);
        return;
    }
    for (const QChar character : text) {
        if (character == u'\'')
            out.append(character);
        out.append(character);
    }
}

// Nearest integer, an exact half going to the even neighbour, as the databases' numeric casts
// round.
inline double RoundHalfToEven(double value) {
    const double nearest = std::round(value);
    if (std::fabs(value - std::trunc(value)) != 0.5)
        return nearest;
    return 2.0 * std::round(value / 2.0);
}

} // namespace tarnwick
