#pragma once

#include "tag/journal.h"

// Undo of a journal's entries, whichever tag they changed.
namespace sonatag {

// Whether the entry's file was written, or may have been before a crash.
bool MayNeedRestore(const JournalEntry& entry);

// Puts back what the entry's write replaced, under the lock a write takes, only where the file
// is exactly as the write left it. Throws FileError when the entry's numbers cannot be those of
// a real write, or the file cannot be opened or written.
RestoreOutcome RestoreEntry(const JournalEntry& entry);

}  // namespace sonatag
