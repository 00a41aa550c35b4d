#pragma once

#include <cstddef>
#include <string_view>

namespace sonatag {

// U+FFFD REPLACEMENT CHARACTER in UTF-8: what a byte that cannot be decoded is shown as.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// Length of the well-formed UTF-8 sequence that text begins with; 0 when its first byte does
// not begin one (a stray continuation byte, an overlong form, a surrogate, a cut sequence).
std::size_t Utf8SequenceLength(std::string_view text);

}  // namespace sonatag
