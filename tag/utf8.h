#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sonatag {

// U+FFFD REPLACEMENT CHARACTER in UTF-8: what a byte that cannot be decoded is shown as.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// Length of the well-formed UTF-8 sequence that text begins with; 0 when its first byte does
// not begin one (a stray continuation byte, an overlong form, a surrogate, a cut sequence).
std::size_t Utf8SequenceLength(std::string_view text);

// Whether text is well-formed UTF-8 throughout.
bool IsValidUtf8(std::string_view text);

// The character of a well-formed UTF-8 sequence, as long as Utf8SequenceLength measured it.
char32_t DecodeUtf8(std::string_view sequence);

// Appends the UTF-8 form of character (at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t character);

}  // namespace sonatag
