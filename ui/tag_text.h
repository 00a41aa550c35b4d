#pragma once

#include <QString>
#include <string>

// Where the window's texts (Unicode) meet the tag layer's (file-system paths, code page 936
// field bytes, UTF-8 file names): every crossing goes through here.
namespace sonatag::ui {

// A path of the file list in the file system's encoding, for ReadTagFields and WriteTagFields.
std::string FileSystemPath(const QString& path);

// A tag field's code page 936 bytes as a text for an edit.
QString FromTagText(const std::string& bytes);

// GetFileName of a path of the file list: its file name, without its last four characters
// when nMode is 1.
QString FileName(const QString& path, int nMode);

// text without space, tab, line feed, vertical tab, form feed and carriage return at either
// end; other spaces, such as the ideographic space U+3000, stay.
QString TrimWhiteSpace(const QString& text);

// text as a message or caption shows it: control characters and the marks that reorder text
// (such as U+202E) become visible \uXXXX escapes, so that a file name shows what it is.
QString Visible(const QString& text);

// The file's title, artist and album on three lines, "无" in each where it has no tag, or that
// it is too short to hold one, or why it cannot be read.
QString TagToolTip(const QString& path);

}  // namespace sonatag::ui
