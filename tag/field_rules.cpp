#include "tag/field_rules.h"

#include <cstring>

namespace sonatag {

void CopyFieldBytes(char* dst, std::string_view src, std::size_t count) {
    std::size_t in = 0;
    std::size_t out = 0;
    auto next = [&] { return in < src.size() ? src[in++] : '\0'; };

    while (out < count) {
        const char byte = next();
        dst[out++] = byte;
        if (byte == '\0') break;
        if (!IsLeadByte(static_cast<unsigned char>(byte))) continue;
        if (out == count) {  // no room for the trail byte
            dst[out - 1] = '\0';
            break;
        }
        const char trail = next();
        dst[out++] = trail;
        if (trail == '\0') {
            dst[out - 2] = '\0';
            break;
        }
    }
    std::memset(dst + out, 0, count - out);
}

void TrimFieldEnd(char (&field)[kFieldSize + 1]) {
    field[kFieldSize] = '\0';
    for (int i = kFieldSize - 1; i >= 0 && (field[i] == ' ' || field[i] == '\0'); --i) field[i] = '\0';
}

}  // namespace sonatag
