// The work on the ID3v2 tag at the head of a file: set --id3v2 and repair.

#include <optional>
#include <string>
#include <string_view>
#include <tuple>

#include "cli/commands.h"
#include "cli/path_source.h"
#include "cli/set_plan.h"
#include "cli/text_escaping.h"
#include "tag/file_name.h"
#include "tag/id3v2_file.h"

namespace sonatag::cli {

namespace {

std::optional<std::string> Trimmed(const std::optional<std::string>& utf8) {
    if (!utf8) return std::nullopt;
    return std::string(TrimWhiteSpace(*utf8));
}

// The texts, in full and in UTF-8, that set --id3v2 writes into the file's ID3v2 tag.
MirrorTexts MirrorFor(const Arguments& arguments, const std::string& path) {
    MirrorTexts mirror{Trimmed(arguments.title), Trimmed(arguments.artist), Trimmed(arguments.album)};
    if (arguments.titleFromName) mirror.title = GetFileName(path, 1);
    return mirror;
}

// "PATH: where: "old" → "new"", safe for a terminal.
void AppendChange(std::string& out, std::string_view path, std::string_view where, std::string_view before,
                  std::string_view after) {
    AppendDisplayText(out, path);
    out += ": ";
    out += where;
    out += ": \"";
    AppendDisplayText(out, before);
    out += "\" \u2192 \"";
    AppendDisplayText(out, after);
    out += "\"\n";
}

}  // namespace

void AppendMirrorPreview(std::string& out, const Arguments& arguments, const std::string& path) {
    const MirrorTexts texts = MirrorFor(arguments, path);
    const BothTags both = ReadBothTags(path);
    const Id3v2Fields present = both.id3v2.value_or(Id3v2Fields{});
    const std::tuple<const char*, const std::optional<std::string>*, const Id3v2Field*> fields[] = {
        {"ID3v2 title", &texts.title, &present.title},
        {"ID3v2 artist", &texts.artist, &present.artist},
        {"ID3v2 album", &texts.album, &present.album}};
    for (const auto& [where, given, frame] : fields) {
        if (*given && **given != frame->text) AppendChange(out, path, where, frame->text, **given);
    }
}

void MirrorFile(const Arguments& arguments, const SetTexts& texts, const std::string& path, JournalWriter* journal,
                FileReport& report) {
    SetFile(arguments, texts, path, report, [&](const TagUpdate& update) {
        return UpdateTagsWithMirror(path, update, MirrorFor(arguments, path), journal).id3v1;
    });
}

int RunRepair(const Arguments& arguments, Console& console) {
    std::optional<JournalWriter> journal;
    if (arguments.journal) journal.emplace(*arguments.journal);
    auto work = [&](const std::string& path, FileReport& report) {
        try {
            const RepairOutcome outcome = RepairId3v2(path, arguments.dryRun, journal ? &*journal : nullptr);
            for (const FrameRepair& repair : outcome.repairs)
                AppendChange(report.out, path, repair.frameId, repair.before, repair.after);
            if (outcome.repairs.empty()) {
                AppendDisplayText(report.out, path);
                report.out += ": nothing to repair\n";
            }
        } catch (const FileError& error) {
            report.Error(error.what());
        }
    };
    return RunPaths(arguments, console, work, journal);
}

}  // namespace sonatag::cli
