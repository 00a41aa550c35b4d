// The set command's dry run and the undo command.

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "cli/set_plan.h"
#include "cli/text_escaping.h"
#include "tag/cp936.h"
#include "tag/tag_batch.h"

namespace sonatag::cli {

namespace {

void AppendQuoted(std::string& out, std::string_view cp936) {
    out += '"';
    AppendDisplayText(out, Cp936ToUtf8(cp936));
    out += '"';
}

// One line for each field that would change: "PATH: title: "old" → "new"".
void AppendChanges(std::string& out, std::string_view path, const UpdatePreview& preview) {
    const std::pair<std::string_view, std::string TagFields::*> fields[] = {
        {"title", &TagFields::title}, {"artist", &TagFields::artist}, {"album", &TagFields::album}};
    std::string where;
    AppendDisplayText(where, path);
    if (preview.before == ReadOutcome::NoTag) out += where + ": no tag; one would be added\n";
    bool changed = preview.before == ReadOutcome::NoTag;
    for (const auto& [name, member] : fields) {
        if (preview.oldFields.*member == preview.newFields.*member) continue;
        changed = true;
        out += where + ": " + std::string(name) + ": ";
        AppendQuoted(out, preview.oldFields.*member);
        out += " \u2192 ";
        AppendQuoted(out, preview.newFields.*member);
        out += '\n';
    }
    if (!changed) out += where + ": no change\n";
}

}  // namespace

int RunDryRun(const Arguments& arguments, Console& console) {
    const SetPlan plan = PlanSet(arguments);
    int status = 0;
    for (const BatchFile& file : plan.files) {
        try {
            const UpdatePreview preview = PreviewUpdate(file.path, file.update);
            if (preview.before == ReadOutcome::TooShort) {
                console.Error(file.path + ": shorter than 128 bytes, too short to hold a tag; would be left unchanged");
                status = 1;
                continue;
            }
            AppendChanges(console.out(), file.path, preview);
            console.FlushWhenFull();
        } catch (const FileError& error) {
            console.Error(error.what());
            status = 1;
        }
    }
    return status;
}

int RunUndo(const Arguments& arguments, Console& console) {
    const std::vector<JournalEntry> entries = ReadJournal(std::string(arguments.files.front()));
    // A file written with its ID3v2 tag has two entries; it is counted once.
    std::set<std::string> restored;
    std::set<std::string> leftAlone;
    // The last write first: a file written twice goes back through both.
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        try {
            const RestoreOutcome outcome = RestoreEntry(*entry);
            if (outcome == RestoreOutcome::Restored) restored.insert(entry->path);
            if (outcome != RestoreOutcome::Changed) continue;
            console.Error(entry->path + ": changed since it was written; left alone");
        } catch (const FileError& error) {
            console.Error(std::string(error.what()) + "; left alone");
        }
        leftAlone.insert(entry->path);
    }
    console.out() +=
        "restored " + std::to_string(restored.size()) + " files, left " + std::to_string(leftAlone.size()) + " alone\n";
    return leftAlone.empty() ? 0 : 1;
}

}  // namespace sonatag::cli
