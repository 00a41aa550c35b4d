#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "cli/file_runner.h"
#include "cli/path_source.h"
#include "tag/cp936.h"
#include "tag/field_rules.h"
#include "tag/file_name.h"
#include "tag/tag_file.h"

namespace sonatag::cli {

namespace {

// A text given on the command line, ready to be written into a field.
struct FieldText {
    std::string bytes;          // code page 936
    bool lossy = false;         // some character became '?'
    std::size_t keptBytes = 0;  // what the 30-byte field keeps of bytes
};

FieldText PrepareFieldText(std::string_view utf8) {
    Cp936Text converted = Utf8ToCp936(TrimWhiteSpace(utf8));
    char field[kFieldSize];
    CopyFieldBytes(field, converted.bytes, kFieldSize);
    const std::size_t kept = ::strnlen(field, kFieldSize);
    return {std::move(converted.bytes), converted.lossy, kept};
}

std::optional<FieldText> PrepareOptional(const std::optional<std::string>& utf8) {
    if (!utf8) return std::nullopt;
    return PrepareFieldText(*utf8);
}

std::optional<std::string> BytesOf(const std::optional<FieldText>& text) {
    if (!text) return std::nullopt;
    return text->bytes;
}

void WarnAboutText(FileReport& report, std::string_view path, std::string_view field,
                   const std::optional<FieldText>& text) {
    if (!text) return;
    const std::string where = std::string(path) + ": " + std::string(field) + ": ";
    if (text->lossy) report.Warning(where + "a character that code page 936 cannot hold was written as '?'");
    if (text->keptBytes < text->bytes.size()) {
        report.Warning(where + "the text is " + std::to_string(text->bytes.size()) +
                       " bytes in code page 936, more than the field's 30; it was cut to " +
                       std::to_string(text->keptBytes));
    }
}

// The texts of the command line, ready to be written into every file.
struct SetTexts {
    std::optional<FieldText> title;
    std::optional<FieldText> artist;
    std::optional<FieldText> album;
};

void SetFile(const Arguments& arguments, const SetTexts& texts, const std::string& path, FileReport& report) {
    std::optional<FieldText> title = texts.title;
    if (arguments.titleFromName) title = PrepareFieldText(GetFileName(path, 1));
    const TagUpdate update{BytesOf(title), BytesOf(texts.artist), BytesOf(texts.album)};
    try {
        if (UpdateTagFields(path, update) == WriteOutcome::TooShort) {
            report.Error(path + ": shorter than 128 bytes, too short to hold a tag; left unchanged");
            return;
        }
    } catch (const FileError& error) {
        report.Error(error.what());
        return;
    }
    WarnAboutText(report, path, "title", title);
    WarnAboutText(report, path, "artist", texts.artist);
    WarnAboutText(report, path, "album", texts.album);
}

}  // namespace

int RunSet(const Arguments& arguments, Console& console) {
    const SetTexts texts{PrepareOptional(arguments.title), PrepareOptional(arguments.artist),
                         PrepareOptional(arguments.album)};
    FileRunner runner(
        arguments.jobs, [&](const std::string& path, FileReport& report) { SetFile(arguments, texts, path, report); },
        console);
    if (!FeedPaths(arguments, console, runner)) return 1;
    return runner.Finish();
}

}  // namespace sonatag::cli
