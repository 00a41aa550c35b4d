#include "tag/journal_undo.h"

#include <cerrno>
#include <string>

#include "tag/id3v2_file.h"
#include "tag/locked_file.h"
#include "tag/tag_batch.h"

namespace sonatag {

bool MayNeedRestore(const JournalEntry& entry) {
    const bool written = entry.outcome == JournalOutcome::Written || entry.outcome == JournalOutcome::Pending;
    if (entry.kind == JournalEntryKind::Id3v2Head) return written && !entry.newBytes.empty();
    return written && entry.newBytes.size() == static_cast<std::size_t>(kBlockSize);
}

RestoreOutcome RestoreEntry(const JournalEntry& entry) {
    if (!MayNeedRestore(entry)) return RestoreOutcome::NotWritten;
    if (const std::string impossible = ImpossibleEntry(entry); !impossible.empty())
        throw FileError(entry.path, EINVAL, "its entry in the journal is damaged: " + impossible);
    return entry.kind == JournalEntryKind::Id3v2Head ? RestoreId3v2Head(entry) : RestoreTailBlock(entry);
}

}  // namespace sonatag
