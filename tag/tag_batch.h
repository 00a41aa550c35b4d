#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>

#include "tag/journal.h"
#include "tag/tag_file.h"

// Writes of many files at once with an undo journal, the undo itself, and a look at what a
// write would change. Every path is in the file system's encoding, every text code page 936.
namespace sonatag {

struct BatchFile {
    std::string path;
    TagUpdate update;
    MirrorTexts mirror{};  // for a write with the ID3v2 mirror
};

// How one file of a batch ended: its outcome, or the error that kept it from being written.
struct BatchFileResult {
    std::size_t index = 0;
    WriteOutcome outcome = WriteOutcome::Written;
    const FileError* error = nullptr;
    bool playersShowOther = false;  // the file's ID3v2 tag holds other texts, which players show
};

// Called after each file, in the batch's order; returning false stops the batch after it.
using BatchCallback = std::function<bool(const BatchFileResult&)>;

// Writes each file's update in the order given and reports each file. With a journal, each
// file's entry is on the disk before the file changes: files are opened, locked and journaled a
// group at a time with one sync, then written under the same locks, and each outcome is added as
// it is known. Throws FileError naming the journal when it cannot be written; the files of the
// group not written by then stay as they were. A file that is the journal itself is refused.
void WriteTagBatch(std::span<const BatchFile> files, JournalWriter* journal, const BatchCallback& onFile);

// Puts back what a TailBlock entry's write replaced (or cuts off what it appended), under the
// lock a write takes, only when the file's length and last 128 bytes are exactly what the write
// left. Throws FileError when the file cannot be opened or written.
RestoreOutcome RestoreTailBlock(const JournalEntry& entry);

// What a write of update would do to the file; nothing is written. Throws FileError.
struct UpdatePreview {
    ReadOutcome before = ReadOutcome::NoTag;  // TooShort: nothing would be written
    TagFields oldFields;                      // empty texts where the file has no block
    TagFields newFields;
};
UpdatePreview PreviewUpdate(const std::string& path, const TagUpdate& update);

}  // namespace sonatag
