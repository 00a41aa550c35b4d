#pragma once

#include <QString>
#include <functional>
#include <iosfwd>

class QWidget;

// For gtest's messages; every test that compares QStrings must see it, or a QString may print
// as a list of 2-byte objects.
void PrintTo(const QString& text, std::ostream* out);

namespace sonatag::test {

// Types text into widget one character at a time, as key presses carrying the character,
// so that characters beyond Latin-1 can be typed too.
void TypeText(QWidget* widget, const QString& text);

// Runs action on the next modal window that opens, from inside its own
// event loop. The action must close it. Gives up waiting after a few seconds.
void WhenModalOpens(std::function<void(QWidget* modal)> action);

}  // namespace sonatag::test
