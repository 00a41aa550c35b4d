#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sonatag::cli {

// Length of the well-formed UTF-8 sequence that text begins with; 0 when its first byte
// does not begin one (a stray continuation byte, an overlong form, a surrogate, a cut sequence).
std::size_t Utf8SequenceLength(std::string_view text);

// Appends text as a JSON string: quoted, with quotes, backslashes, control characters (C0,
// DEL, C1) and bidirectional controls escaped, and U+FFFD for each byte that is not part of
// well-formed UTF-8.
void AppendJsonString(std::string& out, std::string_view text);

// Appends text so that it is safe to show on a terminal and shows what it is: control
// characters become \t, \n, \r, \xHH (C0 and DEL) or \uXXXX (C1 and the bidirectional
// controls, such as U+202E), bytes that are not UTF-8 become \xHH.
void AppendDisplayText(std::string& out, std::string_view text);

}  // namespace sonatag::cli
