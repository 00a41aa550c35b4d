#include "tag/utf8.h"

namespace sonatag {

std::size_t Utf8SequenceLength(std::string_view text) {
    if (text.empty()) return 0;
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byteAt(0);
    if (lead < 0x80) return 1;

    std::size_t length = 0;
    unsigned char secondMin = 0x80, secondMax = 0xBF;  // narrower after some leads
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) secondMin = 0xA0;  // overlong
        if (lead == 0xED) secondMax = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) secondMin = 0x90;  // overlong
        if (lead == 0xF4) secondMax = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (text.size() < length || byteAt(1) < secondMin || byteAt(1) > secondMax) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!IsUtf8Continuation(text[i])) return 0;
    }
    return length;
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t at = 0, length = 0; at < text.size(); at += length) {
        if ((length = Utf8SequenceLength(text.substr(at))) == 0) return false;
    }
    return true;
}

char32_t DecodeUtf8(std::string_view sequence) {
    constexpr unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t character = static_cast<unsigned char>(sequence[0]) & kLeadBits[sequence.size()];
    for (const char byte : sequence.substr(1)) character = (character << 6) | (static_cast<unsigned char>(byte) & 0x3F);
    return character;
}

void AppendUtf8(std::string& out, char32_t character) {
    constexpr unsigned char kLeads[] = {0, 0, 0xC0, 0xE0, 0xF0};
    const int length = character < 0x80 ? 1 : character < 0x800 ? 2 : character < 0x10000 ? 3 : 4;
    if (length == 1) {
        out += static_cast<char>(character);
        return;
    }
    out += static_cast<char>(kLeads[length] | character >> (6 * (length - 1)));
    for (int shift = 6 * (length - 2); shift >= 0; shift -= 6)
        out += static_cast<char>(0x80 | (character >> shift & 0x3F));
}

}  // namespace sonatag
