#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"
#include "tag/tag_batch.h"

#include "cli/console.h"

namespace sonatag::cli {

// A text given on the command line, ready to be written into a field.
struct FieldText {
    std::string bytes;          // code page 936
    bool lossy = false;         // some character became '?'
    std::size_t keptBytes = 0;  // what the 30-byte field keeps of bytes
};

FieldText PrepareFieldText(std::string_view utf8);
std::optional<FieldText> PrepareOptional(const std::optional<std::string>& utf8);
std::optional<std::string> BytesOf(const std::optional<FieldText>& text);

// Warns, naming the file and the field, where the text lost a character or was cut.
void WarnAboutText(Console& console, std::string_view path, std::string_view field,
                   const std::optional<FieldText>& text);

// The files of a set command with the update of each, and the texts they were made from.
struct SetPlan {
    std::optional<FieldText> title;
    std::optional<FieldText> artist;
    std::optional<FieldText> album;
    std::vector<BatchFile> files;
    std::vector<FieldText> fileTitles;  // each file's own title, with --title-from-name

    std::optional<FieldText> TitleOf(std::size_t file) const { return fileTitles.empty() ? title : fileTitles[file]; }
};

SetPlan PlanSet(const Arguments& arguments);

}  // namespace sonatag::cli
