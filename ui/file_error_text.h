#pragma once

#include <QString>
#include <exception>
#include <optional>

namespace sonatag::ui {

// The text of the window's error box for a file error: the file and the reason, in Chinese for
// the common reasons and in the system's words otherwise. Nothing for any other exception.
std::optional<QString> FileErrorText(const std::exception& error);

}  // namespace sonatag::ui
