#pragma once

namespace tarnwick {

// The length of the UTF-8 sequence that `lead` starts; 0 for a byte that starts none.
constexpr int Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

} // namespace tarnwick
