#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "cli/arguments.h"
#include "cli/file_runner.h"
#include "tag/field_text.h"
#include "tag/journal.h"
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

// "PATH: shorter than 128 bytes, too short to hold a tag; " and outcome.
std::string TooShortMessage(const std::string& path, std::string_view outcome);

// Works on every path of the command through a FileRunner and syncs the journal, if any, at
// the end; the exit status.
int RunPaths(const Arguments& arguments, Console& console, const FileRunner::Work& work,
             std::optional<JournalWriter>& journal);

// Writes update into the file being set; throws FileError.
using WriteUpdate = std::function<WriteOutcome(const TagUpdate& update)>;
// set on one file: its update written by write, and every failure and warning in report.
void SetFile(const Arguments& arguments, const SetTexts& texts, const std::string& path, FileReport& report,
             const WriteUpdate& write);

// set --id3v2 on one file: both tags, each file's entries in journal before it changes.
void MirrorFile(const Arguments& arguments, const SetTexts& texts, const std::string& path, JournalWriter* journal,
                FileReport& report);
// The lines of what set --id3v2 would change in the file's ID3v2 tag.
void AppendMirrorPreview(std::string& out, const Arguments& arguments, const std::string& path);

}  // namespace sonatag::cli
