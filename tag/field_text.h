#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sonatag {

// A text made ready for a tag field, the same way for every caller.
struct FieldText {
    std::string bytes;          // code page 936, trimmed of white space at both ends
    bool lossy = false;         // some character could not be held and became '?'
    std::size_t keptBytes = 0;  // what the field keeps of bytes: all, or the part before the cut

    bool cut() const { return keptBytes < bytes.size(); }
};

// A text typed by the user, in UTF-8.
FieldText PrepareFieldText(std::string_view utf8);

}  // namespace sonatag
