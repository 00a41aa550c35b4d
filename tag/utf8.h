#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sonatag {

// U+FFFD REPLACEMENT CHARACTER in UTF-8: what a byte that cannot be decoded is shown as.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// A byte that continues a UTF-8 sequence rather than beginning one.
constexpr bool IsUtf8Continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Characters that must never reach a reader raw, in a terminal or in a window: the C0 and C1
// controls and DEL, which some terminals take as control sequences, and the bidirectional
// controls, which reorder what is shown around them ("a<U+202E>3pm.exe" shows as "aexe.mp3").
constexpr bool IsHiddenControl(char32_t character) {
    return character < 0x20 || (character >= 0x7F && character <= 0x9F) || character == 0x061C || character == 0x200E ||
           character == 0x200F || (character >= 0x202A && character <= 0x202E) ||
           (character >= 0x2066 && character <= 0x2069);
}

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
