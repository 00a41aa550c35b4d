#pragma once

#include <cstddef>
#include <string_view>

#include "tag/id3v1_tag.h"

namespace sonatag {

// A byte that begins a double-byte character in code page 936.
constexpr bool IsLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

// Copies the text src (which ends at its first NUL or at its end) into exactly count bytes
// at dst: pads with NUL when the text ends early, and never leaves half of a double-byte
// character at the end.
void CopyFieldBytes(char* dst, std::string_view src, std::size_t count);

// field holds a field's bytes from CopyFieldBytes and room for a NUL after them. Makes it a
// NUL-terminated text without trailing spaces; leading spaces stay.
void TrimFieldEnd(char (&field)[kFieldSize + 1]);

}  // namespace sonatag
