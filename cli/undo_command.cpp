// The undo command.

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "tag/journal_undo.h"
#include "tag/locked_file.h"

namespace sonatag::cli {

int RunUndo(const Arguments& arguments, Console& console) {
    const std::vector<JournalEntry> entries = ReadJournal(std::string(arguments.files.front()));
    // A file written with its ID3v2 tag has two entries; it is counted once.
    std::set<std::string> restored;
    std::set<std::string> leftAlone;
    const FolderScope folders;
    // The last write first: a file written twice goes back through both.
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        std::string why;
        try {
            const RestoreOutcome outcome = RestoreEntry(*entry);
            if (outcome == RestoreOutcome::Restored) restored.insert(entry->path);
            if (outcome != RestoreOutcome::Changed) continue;
            why = entry->path + ": changed since it was written; left alone";
        } catch (const FileError& error) {
            why = std::string(error.what()) + "; left alone";
        }
        if (leftAlone.insert(entry->path).second) console.Error(why);  // once for a file of two entries
    }
    console.out() +=
        "restored " + std::to_string(restored.size()) + " files, left " + std::to_string(leftAlone.size()) + " alone\n";
    return leftAlone.empty() ? 0 : 1;
}

}  // namespace sonatag::cli
