#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tag/field_text.h"
#include "tag/tag_file.h"

// The one way the texts a user gives become what a write puts into each file: the code page
// 936 fields of the ID3v1 block and the full texts of the ID3v2 mirror. The window and the
// command-line tool both take it, so they write the same bytes for the same input.
namespace sonatag {

// Three texts in UTF-8, a text not given keeping the file's; or each file's own name, without
// its last four characters, as its title.
struct GivenTexts {
    std::optional<std::string> title;
    std::optional<std::string> artist;
    std::optional<std::string> album;
    bool titleFromName = false;
};

// The texts made ready once for all the files of a write.
struct PreparedTexts {
    GivenTexts given;  // trimmed of white space at both ends
    std::optional<FieldText> title;
    std::optional<FieldText> artist;
    std::optional<FieldText> album;
};

PreparedTexts PrepareTexts(const GivenTexts& given);

// What a write puts into one file.
struct FileTexts {
    TagUpdate update;
    std::optional<FieldText> title;  // with what each text lost in code page 936, for warnings
    std::optional<FieldText> artist;
    std::optional<FieldText> album;
    MirrorTexts mirror;
    std::string mirrorProblem;  // why the mirror cannot be written, empty when it can
};

// path in the file system's encoding. A file name that is not UTF-8 is read as GBK where it is
// valid GBK (old Chinese file systems hold such names); otherwise the ID3v1 title holds '?' for
// what cannot be read, and the mirror is refused rather than given a broken title.
FileTexts TextsForFile(const PreparedTexts& texts, std::string_view path);

}  // namespace sonatag
