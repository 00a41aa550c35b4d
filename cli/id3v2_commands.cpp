// The work on the ID3v2 tag at the head of a file: set --id3v2 and repair.

#include <cerrno>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

#include "cli/commands.h"
#include "cli/path_source.h"
#include "cli/set_plan.h"
#include "cli/text_escaping.h"
#include "tag/id3v2_file.h"

namespace sonatag::cli {

namespace {

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

void AppendMirrorPreview(std::string& out, const std::string& path, const FileTexts& file) {
    if (!file.mirrorProblem.empty()) throw FileError(path, EINVAL, file.mirrorProblem);
    const MirrorPreview preview = PreviewMirror(path, file.update, file.mirror);
    const std::tuple<const char*, const std::optional<std::string>*, const Id3v2Field*> fields[] = {
        {"ID3v2 title", &preview.after.title, &preview.before.title},
        {"ID3v2 artist", &preview.after.artist, &preview.before.artist},
        {"ID3v2 album", &preview.after.album, &preview.before.album}};
    for (const auto& [where, after, frame] : fields) {
        if (*after && **after != frame->text) AppendChange(out, path, where, frame->text, **after);
    }
}

void MirrorFile(const PreparedTexts& texts, const std::string& path, JournalWriter* journal, FileReport& report) {
    SetFile(texts, path, report, [&](const FileTexts& file) {
        if (!file.mirrorProblem.empty()) throw FileError(path, EINVAL, file.mirrorProblem + "; left unchanged");
        return UpdateTagsWithMirror(path, file.update, file.mirror, journal).id3v1;
    });
}

int RunRepair(const Arguments& arguments, Console& console) {
    CheckJournalPath(arguments);
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
        } catch (const JournalError&) {
            throw;
        } catch (const FileError& error) {
            report.Error(error.what());
        }
    };
    return RunPaths(arguments, console, work, journal);
}

}  // namespace sonatag::cli
