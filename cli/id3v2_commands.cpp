// The commands that also work on the ID3v2 tag at the head of a file: set --id3v2 and repair.

#include <optional>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "cli/set_plan.h"
#include "cli/text_escaping.h"
#include "tag/field_rules.h"
#include "tag/file_name.h"
#include "tag/id3v2_file.h"

namespace sonatag::cli {

namespace {

std::optional<std::string> Trimmed(const std::optional<std::string>& utf8) {
    if (!utf8) return std::nullopt;
    return std::string(TrimWhiteSpace(*utf8));
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

// The ID3v2 frames a set --id3v2 would change, after the dry run of its ID3v1 tag.
void AppendMirrorPreview(std::string& out, const std::string& path, const MirrorTexts& texts) {
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

}  // namespace

int RunSetWithMirror(const Arguments& arguments, Console& console) {
    const SetPlan plan = PlanSet(arguments);
    MirrorTexts mirror{Trimmed(arguments.title), Trimmed(arguments.artist), Trimmed(arguments.album)};
    std::optional<JournalWriter> journal;
    if (arguments.journal) journal.emplace(*arguments.journal);
    int status = 0;
    for (std::size_t at = 0; at < plan.files.size(); ++at) {
        const BatchFile& file = plan.files[at];
        if (arguments.titleFromName) mirror.title = Trimmed(GetFileName(file.path, 1));
        try {
            if (arguments.dryRun) {
                AppendMirrorPreview(console.out(), file.path, mirror);
                continue;
            }
            const MirrorOutcome outcome =
                UpdateTagsWithMirror(file.path, file.update, mirror, journal ? &*journal : nullptr);
            if (outcome.id3v1 == WriteOutcome::TooShort) {
                console.Error(file.path + ": shorter than 128 bytes, too short to hold a tag; left unchanged");
                status = 1;
                continue;
            }
            WarnAboutText(console, file.path, "title", plan.TitleOf(at));
            WarnAboutText(console, file.path, "artist", plan.artist);
            WarnAboutText(console, file.path, "album", plan.album);
        } catch (const FileError& error) {
            console.Error(error.what());
            status = 1;
        }
    }
    if (journal) journal->Sync();
    return status;
}

int RunMirrorDryRun(const Arguments& arguments, Console& console) {
    const int status = RunDryRun(arguments, console);
    return RunSetWithMirror(arguments, console) | status;
}

int RunRepair(const Arguments& arguments, Console& console) {
    std::optional<JournalWriter> journal;
    if (arguments.journal) journal.emplace(*arguments.journal);
    int status = 0;
    std::string path;
    for (const std::string_view file : arguments.files) {
        path.assign(file);
        try {
            const RepairOutcome outcome = RepairId3v2(path, arguments.dryRun, journal ? &*journal : nullptr);
            for (const FrameRepair& repair : outcome.repairs)
                AppendChange(console.out(), path, repair.frameId, repair.before, repair.after);
            if (outcome.repairs.empty()) {
                AppendDisplayText(console.out(), path);
                console.out() += ": nothing to repair\n";
            }
        } catch (const FileError& error) {
            console.Error(error.what());
            status = 1;
        }
        console.FlushWhenFull();
    }
    if (journal) journal->Sync();
    return status;
}

}  // namespace sonatag::cli
