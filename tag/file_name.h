#pragma once

#include <string>
#include <string_view>

namespace sonatag {

// Removes space, tab, line feed, vertical tab, form feed and carriage return at both ends.
std::string_view TrimWhiteSpace(std::string_view text);

// The file-name part of a UTF-8 path (after its last '/'), trimmed of white space at both
// ends. With nMode 1 the last four characters are dropped first (a name of four characters
// or fewer becomes empty).
std::string GetFileName(std::string_view path, int nMode);

}  // namespace sonatag
