// The undo command.

#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "tag/tag_batch.h"

namespace sonatag::cli {

int RunUndo(const Arguments& arguments, Console& console) {
    const std::vector<JournalEntry> entries = ReadJournal(std::string(arguments.files.front()));
    int restored = 0;
    int leftAlone = 0;
    // The last write first: a file written twice goes back through both.
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        try {
            const RestoreOutcome outcome = RestoreEntry(*entry);
            if (outcome == RestoreOutcome::Restored) ++restored;
            if (outcome != RestoreOutcome::Changed) continue;
            console.Error(entry->path + ": changed since it was written; left alone");
        } catch (const FileError& error) {
            console.Error(std::string(error.what()) + "; left alone");
        }
        ++leftAlone;
    }
    console.out() += "restored " + std::to_string(restored) + " files, left " + std::to_string(leftAlone) + " alone\n";
    return leftAlone == 0 ? 0 : 1;
}

}  // namespace sonatag::cli
