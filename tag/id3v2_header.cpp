#include "tag/id3v2_header.h"

namespace sonatag {

std::size_t Id3v2TagSize(std::string_view head) {
    if (head.size() < kId3v2HeaderSize || head.substr(0, 3) != "ID3") return 0;
    const auto version = static_cast<unsigned char>(head[3]);
    if (version < 2 || version > 4 || static_cast<unsigned char>(head[4]) == 0xFF) return 0;
    std::size_t size = 0;
    for (const char c : head.substr(6, 4)) {
        if (static_cast<unsigned char>(c) >= 0x80) return 0;
        size = size << 7 | static_cast<unsigned char>(c);
    }
    const bool footer = version == 4 && (static_cast<unsigned char>(head[5]) & 0x10) != 0;
    return kId3v2HeaderSize + size + (footer ? kId3v2HeaderSize : 0);
}

}  // namespace sonatag
