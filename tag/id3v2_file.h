#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tag/id3v2_text.h"
#include "tag/journal.h"
#include "tag/tag_batch.h"
#include "tag/tag_file.h"

// Both tags of a file: reading them, writing the ID3v2 mirror with the ID3v1 block, repairing
// mislabelled GBK and undoing either. Inside the ID3v2 tag only the header, the frames written
// and the padding are written anew; every other frame is kept byte for byte, in its order, and
// the tag keeps its version. All of these throw FileError; a file they cannot change is left
// exactly as it was.
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

BothTags ReadBothTags(const std::string& path);

// The ID3v1 write of UpdateTagFields, and mirror written into the title, artist and album
// frames of the ID3v2 tag at the head of the file, which is created as ID3v2.3 where there is
// none. The tag is rewritten in place when it fits in the old one, padding included; otherwise
// the file is rewritten through a temporary file (refused for a file with other hard links).
// With a journal, the file's entries (its head, then its ID3v1 block) are on the disk before
// the file changes; undone last entry first, they put the file back byte for byte.
MirrorOutcome UpdateTagsWithMirror(const std::string& path, const TagUpdate& update, const MirrorTexts& mirror,
                                   JournalWriter* journal = nullptr);

// What UpdateTagsWithMirror would do to the ID3v2 tag: the fields it has, and the texts each
// frame would take (empty for a frame it keeps). Nothing is written.
struct MirrorPreview {
    Id3v2Fields before;
    MirrorTexts after;
};
MirrorPreview PreviewMirror(const std::string& path, const TagUpdate& update, const MirrorTexts& mirror);

// UpdateTagsWithMirror for each file in order, reported as WriteTagBatch reports; each file's
// entries are synced to the journal before it changes. A JournalError ends the batch.
void WriteMirrorBatch(std::span<const BatchFile> files, JournalWriter* journal, const BatchCallback& onFile);

// Rewrites the text frames that hold GBK labelled ISO-8859-1 (MislabelledFrames) as UTF-16, each
// in its place with its flags; nothing else changes. Writes nothing when dryRun is set or there
// is nothing to repair.
RepairOutcome RepairId3v2(const std::string& path, bool dryRun, JournalWriter* journal = nullptr);

// Puts back the head an Id3v2Head entry replaced, the same way it was written (in place, or by
// rewriting the file), only where the file still is exactly as the write left it.
RestoreOutcome RestoreId3v2Head(const JournalEntry& entry);

}  // namespace sonatag
