#pragma once

#include <cstddef>
#include <string_view>

namespace sonatag {

// A byte that begins a double-byte character in code page 936.
constexpr bool IsLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

// Copies the text src (which ends at its first NUL or at its end) into exactly count bytes
// at dst: pads with NUL when the text ends early, and never leaves half of a double-byte
// character at the end.
void CopyFieldBytes(char* dst, std::string_view src, std::size_t count);

// field holds 31 bytes, the first 30 from CopyFieldBytes. Makes it a NUL-terminated
// text without trailing spaces; leading spaces stay.
void TrimFieldEnd(char (&field)[31]);

}  // namespace sonatag
