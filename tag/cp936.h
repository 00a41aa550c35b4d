#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sonatag {

struct Cp936Text {
    std::string bytes;
    bool lossy = false;  // some character could not be held and became '?'
};

// UTF-8 to code page 936. A character that code page 936 cannot hold becomes '?'.
Cp936Text Utf8ToCp936(std::string_view utf8);

// Code page 936 to UTF-8. Each byte that does not begin a valid character becomes U+FFFD.
std::string Cp936ToUtf8(std::string_view cp936);

// The same, but empty where some byte does not begin a valid character.
std::optional<std::string> Cp936ToUtf8Exactly(std::string_view cp936);

}  // namespace sonatag
