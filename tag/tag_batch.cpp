#include "tag/tag_batch.h"

#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <vector>

#include "tag/id3v2_read.h"
#include "tag/locked_file.h"
#include "tag/tag_write.h"

namespace sonatag {
namespace {

// A group of files is held open and locked between its journal's sync and its writes. It ends
// at this many files, or once opening it has taken this long, so that a slow file system still
// reports its files one by one.
constexpr std::size_t kMostFilesInGroup = 16384;
constexpr auto kLongestGroupOpening = std::chrono::milliseconds(100);

// Half of the files this process may hold open, within kMostFilesInGroup. The soft limit is
// raised towards what a whole group needs, as far as the hard limit allows: at 1,024, the
// usual default, a large batch would need a sync for every 512 files.
std::size_t FilesInGroup() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 1;
    const rlim_t wanted = 2 * kMostFilesInGroup + 256;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
        const rlim_t raised = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(limit.rlim_max, wanted);
        if (raised > limit.rlim_cur) {
            limit.rlim_cur = raised;
            if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) (void)::getrlimit(RLIMIT_NOFILE, &limit);
        }
    }
    if (limit.rlim_cur == RLIM_INFINITY) return kMostFilesInGroup;
    return std::clamp<std::size_t>(limit.rlim_cur / 2, 1, kMostFilesInGroup);
}

Id3v1Tag BlockOf(const std::string& bytes) {
    Id3v1Tag block;
    std::copy(bytes.begin(), bytes.end(), reinterpret_cast<char*>(&block));
    return block;
}

// A file of the group: open and locked until it is written, or what kept it from being so.
struct Opened {
    std::optional<LockedFile> file{};
    Tail old{};
    Id3v1Tag block{};
    bool playersShowOther = false;
    WriteOutcome outcome = WriteOutcome::Written;
    std::optional<FileError> error{};
    std::size_t entry = 0;
};

Opened Open(const BatchFile& item, const JournalWriter* journal) {
    try {
        std::optional<LockedFile> file = OpenForWriting(item.path);
        if (file && journal != nullptr) journal->RefuseToWriteInto(item.path, *file);
        if (!file || file->length < kBlockSize) return Opened{.outcome = WriteOutcome::TooShort};
        std::size_t headSize = 0;
        const std::string head = ReadHeadTagIfReadable(item.path, *file, headSize);
        const Tail old = ReadTail(item.path, *file, headSize);
        const Id3v1Tag block = UpdatedBlock(old, item.update);
        return Opened{.file = std::move(file),
                      .old = old,
                      .block = block,
                      .playersShowOther = PlayersShowOtherTexts(head, block)};
    } catch (const FileError& error) {
        return Opened{.error = error};
    }
}

JournalEntry EntryOf(const BatchFile& item, const Opened& opened) {
    JournalEntry entry;
    entry.path = item.path;
    if (!opened.file) return entry;
    entry.lengthBefore = opened.file->length;
    if (opened.old.isBlock) entry.oldBytes = BytesOf(opened.old.bytes);
    entry.newBytes = BytesOf(opened.block);
    return entry;
}

// Opens the group that begins at files' first. A file locked by a file of the group already
// (the same file under another name) begins the next group.
std::vector<Opened> OpenGroup(std::span<const BatchFile> files, JournalWriter* journal) {
    const std::size_t most = journal != nullptr ? FilesInGroup() : 1;
    const auto start = std::chrono::steady_clock::now();
    std::vector<Opened> group;
    for (const BatchFile& item : files.first(std::min(most, files.size()))) {
        if (!group.empty() && std::chrono::steady_clock::now() - start > kLongestGroupOpening) break;
        Opened opened = Open(item, journal);
        if (!group.empty() && opened.error && opened.error->error() == EWOULDBLOCK) break;
        if (journal != nullptr) opened.entry = journal->Add(EntryOf(item, opened));
        group.push_back(std::move(opened));
    }
    return group;
}

JournalOutcome JournalOutcomeOf(const BatchFileResult& result) {
    if (result.error != nullptr) return JournalOutcome::Failed;
    return result.outcome == WriteOutcome::Written ? JournalOutcome::Written : JournalOutcome::TooShort;
}

// Writes and closes the group's files in order; false when onFile stopped the batch.
bool WriteGroup(std::span<const BatchFile> files, std::size_t first, std::vector<Opened>& group, JournalWriter* journal,
                const BatchCallback& onFile) {
    for (std::size_t at = 0; at < group.size(); ++at) {
        Opened& opened = group[at];
        if (opened.file) {
            try {
                WriteTagBlock(files[at].path, *opened.file, opened.old, opened.block);
                CloseWritten(files[at].path, *opened.file, ReplacedBy(*opened.file, opened.old));
            } catch (const FileError& error) {
                opened.error = error;
            }
            opened.file.reset();
        }
        const BatchFileResult result{first + at, opened.outcome, opened.error ? &*opened.error : nullptr,
                                     opened.playersShowOther && !opened.error};
        if (journal != nullptr) journal->SetOutcome(opened.entry, JournalOutcomeOf(result));
        if (onFile(result)) continue;
        if (journal != nullptr) {
            for (const Opened& rest : std::span(group).subspan(at + 1))
                journal->SetOutcome(rest.entry, JournalOutcome::NotWritten);
        }
        return false;
    }
    return true;
}

}  // namespace

void WriteTagBatch(std::span<const BatchFile> files, JournalWriter* journal, const BatchCallback& onFile) {
    const FolderScope folders;
    for (std::size_t first = 0; first < files.size();) {
        std::vector<Opened> group = OpenGroup(files.subspan(first), journal);
        if (journal != nullptr) journal->Sync();
        const bool goOn = WriteGroup(files.subspan(first), first, group, journal, onFile);
        first += group.size();
        if (!goOn) break;
    }
    // The last outcomes need no sync: an entry without one is judged by what its file holds.
    if (journal != nullptr) journal->Flush();
}

RestoreOutcome RestoreTailBlock(const JournalEntry& entry) {
    LockedFile file = OpenLocked(entry.path, Access::Write);
    const bool appended = entry.oldBytes.empty();
    const off_t lengthBefore = entry.lengthBefore;
    const off_t lengthAfter = appended ? lengthBefore + kBlockSize : lengthBefore;
    const auto endsWith = [&](const std::string& bytes) {
        return file.length >= kBlockSize && BytesOf(ReadLastBlock(entry.path, file)) == bytes;
    };

    if (file.length == lengthAfter && endsWith(entry.newBytes)) {
        // Either way, what the restore replaces is the block the write left.
        const Replaced written{{{lengthAfter - kBlockSize, entry.newBytes}}, std::nullopt};
        if (!appended) {
            if (const int error = WriteBlockAt(file, BlockOf(entry.oldBytes), lengthBefore - kBlockSize))
                FailWrite(entry.path, file, error, "cannot write", written);
        } else if (const int error = TruncateTo(file, lengthBefore)) {
            FailWrite(entry.path, file, error, "cannot cut off the tag", written);
        }
        CloseWritten(entry.path, file, written);
        return RestoreOutcome::Restored;
    }
    if (file.length == lengthBefore && (appended || endsWith(entry.oldBytes))) return RestoreOutcome::AsBefore;
    return RestoreOutcome::Changed;
}

UpdatePreview PreviewUpdate(const std::string& path, const TagUpdate& update) {
    const LockedFile file = OpenLocked(path, Access::Read);
    if (file.length < kBlockSize) return {ReadOutcome::TooShort, {}, {}};
    const Tail old = ReadTail(path, file);
    const TagReadResult before = old.isBlock ? ParseTagBlock(old.bytes) : TagReadResult{ReadOutcome::NoTag, {}};
    return {before.outcome, before.fields, ParseTagBlock(UpdatedBlock(old, update)).fields};
}

}  // namespace sonatag
