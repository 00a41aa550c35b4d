#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "cli/arguments.h"
#include "cli/file_runner.h"
#include "tag/journal.h"
#include "tag/tag_file.h"
#include "tag/tag_texts.h"

namespace sonatag::cli {

// The texts of the command line, made ready once for every file.
PreparedTexts PrepareSetTexts(const Arguments& arguments);

// Warns, naming the file, where a text of the file's update lost a character or was cut.
void WarnAboutTexts(FileReport& report, const std::string& path, const FileTexts& file);

// "PATH: shorter than 128 bytes, too short to hold a tag; " and outcome.
std::string TooShortMessage(const std::string& path, std::string_view outcome);

// A usage error when --journal names something that must not be replaced: a file that is not a
// journal, or one of the files named on the command line. Nothing is touched before it.
void CheckJournalPath(const Arguments& arguments);

// Works on every path of the command through a FileRunner and syncs the journal, if any, at
// the end; the exit status.
int RunPaths(const Arguments& arguments, Console& console, const FileRunner::Work& work,
             std::optional<JournalWriter>& journal);

// Writes the texts of the file being set; throws FileError.
using WriteTexts = std::function<WriteOutcome(const FileTexts& file)>;
// set on one file: its texts written by write, and every failure and warning in report. A
// JournalError goes through: it ends the command.
void SetFile(const PreparedTexts& texts, const std::string& path, FileReport& report, const WriteTexts& write);

// set --id3v2 on one file: both tags, each file's entries in journal before it changes.
void MirrorFile(const PreparedTexts& texts, const std::string& path, JournalWriter* journal, FileReport& report);
// The lines of what set --id3v2 would change in the file's ID3v2 tag.
void AppendMirrorPreview(std::string& out, const std::string& path, const FileTexts& file);

}  // namespace sonatag::cli
