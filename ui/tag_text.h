#pragma once

#include <QString>
#include <string>

// Where the window's texts (Unicode) meet the tag layer's (file-system paths, code page 936
// field bytes, UTF-8 file names): every crossing goes through here.
namespace sonatag::ui {

// A path of the file list in the file system's encoding, for ReadTagFields and WriteTagFields.
std::string FileSystemPath(const QString& path);

// An edit's text as the code page 936 bytes of a tag field; a character that code page 936
// cannot hold becomes '?'.
std::string ToTagText(const QString& text);
// A tag field's code page 936 bytes as a text for an edit.
QString FromTagText(const std::string& bytes);

// GetFileName of a path of the file list: its file name, without its last four characters
// when nMode is 1.
QString FileName(const QString& path, int nMode);

// text without space, tab, line feed, vertical tab, form feed and carriage return at either
// end; other spaces, such as the ideographic space U+3000, stay.
QString TrimWhiteSpace(const QString& text);

// The file's title, artist and album on three lines, "无" in each where it has no tag, or why
// it cannot be read.
QString TagToolTip(const QString& path);

}  // namespace sonatag::ui
