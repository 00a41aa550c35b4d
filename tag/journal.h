#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <sys/types.h>

#include "tag/file_descriptor.h"
#include "tag/locked_file.h"
#include "tag/tag_file.h"

// The undo journal of a batch of writes: for each file, what its end held before and what the
// write leaves there, so that the batch can be undone later, even after a crash.
namespace sonatag {

inline constexpr std::uint32_t kJournalVersion = 1;

// What an entry describes. TailBlock: the last bytes of a file replaced or appended.
// Id3v2Head: the ID3v2 tag at the start of a file (none where its bytes are empty) replaced by
// another, in place or, where the size changed, by rewriting the file.
enum class JournalEntryKind : std::uint8_t { TailBlock = 1, Id3v2Head = 2 };

// Pending until the write of the file ends one way or the other; an entry still pending after a
// crash may or may not have been written.
enum class JournalOutcome : std::uint8_t { Pending = 0, Written = 1, TooShort = 2, Failed = 3, NotWritten = 4 };

struct JournalEntry {
    JournalEntryKind kind = JournalEntryKind::TailBlock;
    std::string path;  // bytes, as the file system takes them
    std::int64_t lengthBefore = 0;
    std::string oldBytes;  // the last 128 bytes the write replaces; empty where it appends
    std::string newBytes;  // the 128 bytes the write leaves at the end; empty when nothing is written
                           // (for Id3v2Head: the tag at the start before and after)
    JournalOutcome outcome = JournalOutcome::Pending;

    bool operator==(const JournalEntry&) const = default;
};

// A journal that cannot be read or written. It ends the whole command rather than one file's
// work, so it is reported once.
class JournalError : public FileError {
public:
    using FileError::FileError;
};

// Whether path names a file that begins as a journal does.
bool IsJournal(const std::string& path);

// A journal being written. It is made beside path and takes path's place at the first Sync, so
// the journal it replaces stays whole until the new one holds something; what stands at path
// is only ever replaced when it is a journal. Throws JournalError.
class JournalWriter {
public:
    explicit JournalWriter(std::string path);
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // Returns the entry's number, for SetOutcome.
    std::size_t Add(const JournalEntry& entry);
    void SetOutcome(std::size_t entry, JournalOutcome outcome);
    // Writes out what was added and set and waits until it is on the disk.
    void Sync();
    // Writes out what was added and set without waiting for the disk.
    void Flush();
    // Throws FileError when the file is this journal, or the one it replaces: a batch must not
    // write into it.
    void RefuseToWriteInto(const std::string& path, const LockedFile& file) const;

private:
    using Identity = std::pair<dev_t, ino_t>;
    // The journal that stands at path, which this one is to replace; throws JournalError when
    // something else stands there.
    static std::optional<Identity> Replaceable(const std::string& path);

    std::string path_;
    std::string newPath_;
    std::optional<Identity> replaced_;
    FileDescriptor fd_;
    Identity identity_{};
    std::string pending_;
    std::size_t entries_ = 0;
    bool inPlace_ = false;
};

// The entries of the journal at path, with their last outcomes. A record cut short at the end
// (a crash while it was written) is left out. Throws JournalError when the journal cannot be
// read, is not a journal, or has a version or kind this program does not know.
std::vector<JournalEntry> ReadJournal(const std::string& path);

// How undoing an entry ended.
enum class RestoreOutcome {
    Restored,    // the file is again as it was before the write
    AsBefore,    // it already was: the write never happened
    Changed,     // it changed since the write and is left alone
    NotWritten,  // the entry's file was never written: too short, failed or not reached
};

// Why an entry cannot be that of a real write (bytes that are not the tag or block its kind
// writes, a length below zero or beyond what a file can be, sizes that do not add up), or empty
// when it can. Undo then restores only tags and blocks, and never touches the audio between.
std::string ImpossibleEntry(const JournalEntry& entry);

}  // namespace sonatag
