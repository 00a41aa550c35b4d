#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tag/id3v2_tag.h"
#include "tag/journal.h"
#include "tag/tag_batch.h"
#include "tag/tag_file.h"

namespace sonatag {

// Both tags of a file, read under one lock.
struct BothTags {
    TagReadResult id3v1;
    std::optional<Id3v2Fields> id3v2;  // empty when the file has no ID3v2 tag or it cannot be read
    std::string id3v2Problem;          // why an ID3v2 tag that is there cannot be read
};

// How the ID3v2 tag reached the file.
enum class HeadWrite { None, InPlace, Rewritten };

struct MirrorOutcome {
    WriteOutcome id3v1 = WriteOutcome::Written;
    HeadWrite id3v2 = HeadWrite::None;
};

struct RepairOutcome {
    std::vector<FrameRepair> repairs;
    HeadWrite id3v2 = HeadWrite::None;
};

// All of these throw FileError; a file they cannot change is left exactly as it was.
BothTags ReadBothTags(const std::string& path);

// The ID3v1 write of UpdateTagFields, with the same texts (UTF-8 in mirror) written into TIT2,
// TPE1 and TALB of the ID3v2 tag at the head of the file, which is created as ID3v2.3 where
// there is none. A text that mirror leaves out keeps its frame, or is taken from the ID3v1
// field where there is no frame. The tag is rewritten in place when it fits in the old one,
// padding included; otherwise the file is rewritten through a temporary file in its folder
// (refused for a file with more than one hard link).
// With a journal, the file's entries (its head, then its ID3v1 block) are on the disk before
// the file changes; undone last entry first, they put the file back byte for byte.
MirrorOutcome UpdateTagsWithMirror(const std::string& path, const TagUpdate& update, const MirrorTexts& mirror,
                                   JournalWriter* journal = nullptr);

// The texts of update, code page 936, as UTF-8 for the ID3v2 tag.
MirrorTexts MirrorOf(const TagUpdate& update);

// UpdateTagsWithMirror for each file in order, each with the texts of its update, reported as
// WriteTagBatch reports; each file's entries are synced to the journal before it changes.
void WriteMirrorBatch(std::span<const BatchFile> files, JournalWriter* journal, const BatchCallback& onFile);

// Rewrites the ISO-8859-1 text frames that hold GBK as UTF-16, the same way. Writes nothing
// when dryRun is set or there is nothing to repair.
RepairOutcome RepairId3v2(const std::string& path, bool dryRun, JournalWriter* journal = nullptr);

// Puts back the head an Id3v2Head entry replaced, the same way it was written (in place, or by
// rewriting the file), only where the file still is exactly as the write left it.
RestoreOutcome RestoreId3v2Head(const JournalEntry& entry);

// Called with the temporary file's path after it is complete and synced, before it replaces
// the original; lets tests stop there as a crash would.
using RewriteHook = void (*)(const std::string& temporaryPath);
void SetRewriteHookForTesting(RewriteHook hook);

}  // namespace sonatag
