#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "cli/arguments.h"
#include "cli/file_runner.h"
#include "tag/field_text.h"
#include "tag/tag_file.h"

namespace sonatag::cli {

// The texts of the command line, ready to be written into every file.
struct SetTexts {
    std::optional<FieldText> title;
    std::optional<FieldText> artist;
    std::optional<FieldText> album;
};

SetTexts PrepareSetTexts(const Arguments& arguments);

// What set writes into one file: the texts of the command line, or with --title-from-name the
// file's own name as its title.
struct FileUpdate {
    TagUpdate update;
    std::optional<FieldText> title;
};
FileUpdate UpdateFor(const Arguments& arguments, const SetTexts& texts, const std::string& path);

// Warns, naming the file, where a text of the update lost a character or was cut.
void WarnAboutTexts(FileReport& report, const std::string& path, const FileUpdate& file, const SetTexts& texts);

}  // namespace sonatag::cli
