#include "tag/id3v2_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tag/cp936.h"
#include "tag/locked_file.h"
#include "tag/tag_write.h"

namespace sonatag {
namespace {

RewriteHook rewriteHook = nullptr;

// The ID3v2 tag the file begins with, empty when it begins with none. Id3v2Error when the
// tag's header cannot be right for this file.
std::string ReadHeadTag(const std::string& path, const LockedFile& file) {
    std::string tag(kId3v2HeaderSize, '\0');
    if (file.length < static_cast<off_t>(tag.size())) return {};
    if (const int error = ReadBytesAt(file.fd.get(), tag.data(), tag.size(), 0)) Fail(path, error, "cannot read");
    const std::size_t size = Id3v2TagSize(tag);
    if (size == 0) return {};
    if (size > kId3v2MaxSize) throw Id3v2Error("the ID3v2 tag is larger than 64 MiB");
    if (static_cast<off_t>(size) > file.length) throw Id3v2Error("the ID3v2 tag runs past the end of the file");
    tag.resize(size);
    const std::size_t rest = size - kId3v2HeaderSize;
    if (const int error = ReadBytesAt(file.fd.get(), tag.data() + kId3v2HeaderSize, rest, kId3v2HeaderSize))
        Fail(path, error, "cannot read");
    return tag;
}

// What a write puts into the file, next to what it holds now.
struct HeadPlan {
    std::string oldTag;  // the ID3v2 tag at the head, empty when there is none
    std::string newTag;
    Id3v1Tag oldBlock{};  // the last 128 bytes
    std::optional<Id3v1Tag> newBlock;
};

bool HasBlock(const HeadPlan& plan) {
    return HasTagIdentifier(plan.oldBlock);
}

// The frames fit in the old tag: the new one takes its exact size. Otherwise a new file.
bool FitsInPlace(const HeadPlan& plan, std::size_t framesSize) {
    return !plan.oldTag.empty() && kId3v2HeaderSize + framesSize <= plan.oldTag.size();
}

void ComposeNewTag(HeadPlan& plan, int version, const std::string& frames) {
    const std::size_t size =
        FitsInPlace(plan, frames.size()) ? plan.oldTag.size() : kId3v2HeaderSize + frames.size() + kId3v2Padding;
    plan.newTag = ComposeId3v2Tag(version, frames, size);
}

// The ID3v1 block is written after the head; when either write fails, both are put back.
void WriteInPlace(const std::string& path, const LockedFile& file, const HeadPlan& plan) {
    const int fd = file.fd.get();
    if (const int error = WriteBytesAt(fd, plan.newTag.data(), plan.newTag.size(), 0)) {
        WriteBytesAt(fd, plan.oldTag.data(), plan.oldTag.size(), 0);
        Fail(path, error, "cannot write");
    }
    if (!plan.newBlock) return;
    try {
        WriteTagBlock(path, file, plan.oldBlock, *plan.newBlock);
    } catch (const FileError&) {
        WriteBytesAt(fd, plan.oldTag.data(), plan.oldTag.size(), 0);
        throw;
    }
}

// The folder part of path with its slash, empty for a path without one.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return path.substr(0, slash == std::string::npos ? 0 : slash + 1);
}

// A file created next to the original, removed again unless it replaced it.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& original)
        : path_(FolderOf(original) + ".sonatag-XXXXXX"), fd_(::mkostemp(path_.data(), O_CLOEXEC)) {
        if (!fd_.valid()) Fail(original, errno, "cannot create a temporary file in its folder");
    }
    ~TemporaryFile() {
        if (!renamed_) ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_.get(); }
    const std::string& path() const { return path_; }
    int ReplaceOriginal(const std::string& original) {
        if (::rename(path_.c_str(), original.c_str()) != 0) return errno;
        renamed_ = true;
        return 0;
    }

private:
    std::string path_;
    FileDescriptor fd_;
    bool renamed_ = false;
};

// Copies count bytes from in at offset to the end of out at outOffset.
int CopyRange(int in, off_t offset, int out, off_t outOffset, std::size_t count) {
    while (count > 0) {
        const ssize_t done = ::copy_file_range(in, &offset, out, &outOffset, count, 0);
        if (done < 0 && errno == EINTR) continue;
        if (done > 0) {
            count -= static_cast<std::size_t>(done);
            continue;
        }
        if (done == 0) return EIO;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) return errno;
        std::string buffer(std::min<std::size_t>(count, 1 << 20), '\0');
        while (count > 0) {
            const std::size_t piece = std::min(count, buffer.size());
            if (const int error = ReadBytesAt(in, buffer.data(), piece, offset)) return error;
            if (const int error = WriteBytesAt(out, buffer.data(), piece, outOffset)) return error;
            offset += static_cast<off_t>(piece);
            outOffset += static_cast<off_t>(piece);
            count -= piece;
        }
    }
    return 0;
}

// Owner, extended attributes and permissions, as far as the file system and our rights allow.
int CopyOwnership(int from, int to, const struct stat& status) {
    (void)::fchown(to, status.st_uid, status.st_gid);
    const ssize_t listSize = ::flistxattr(from, nullptr, 0);
    std::string names(listSize > 0 ? static_cast<std::size_t>(listSize) : 0, '\0');
    if (listSize > 0 && ::flistxattr(from, names.data(), names.size()) == listSize) {
        for (const char* name = names.c_str(); name < names.c_str() + names.size(); name += std::strlen(name) + 1) {
            const ssize_t valueSize = ::fgetxattr(from, name, nullptr, 0);
            std::string value(valueSize > 0 ? static_cast<std::size_t>(valueSize) : 0, '\0');
            if (valueSize >= 0 && ::fgetxattr(from, name, value.data(), value.size()) == valueSize)
                (void)::fsetxattr(to, name, value.data(), value.size(), 0);
        }
    }
    return ::fchmod(to, status.st_mode & 07777) == 0 ? 0 : errno;
}

void SyncFolderOf(const std::string& path) {
    const std::string folder = FolderOf(path);
    const FileDescriptor fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid()) (void)::fsync(fd.get());
}

// Writes the new file beside the original and renames it over it: the original is never
// changed, so a crash at any point leaves either the old file or the new one.
void Rewrite(const std::string& path, const LockedFile& file, const HeadPlan& plan) {
    struct stat status;
    if (::fstat(file.fd.get(), &status) != 0) Fail(path, errno, "cannot get its status");
    if (status.st_nlink > 1) {
        throw FileError(path, EMLINK,
                        "the ID3v2 tag does not fit in place and the file has other hard links, which a new file "
                        "would leave behind; left unchanged");
    }
    TemporaryFile temporary(path);
    const off_t audioStart = static_cast<off_t>(plan.oldTag.size());
    const off_t audioEnd = plan.newBlock && HasBlock(plan) ? file.length - kBlockSize : file.length;
    const off_t newAudioStart = static_cast<off_t>(plan.newTag.size());
    int error = WriteBytesAt(temporary.fd(), plan.newTag.data(), plan.newTag.size(), 0);
    if (error == 0)
        error = CopyRange(file.fd.get(), audioStart, temporary.fd(), newAudioStart,
                          static_cast<std::size_t>(audioEnd - audioStart));
    if (error == 0 && plan.newBlock) {
        error = WriteBytesAt(temporary.fd(), reinterpret_cast<const char*>(&*plan.newBlock), kBlockSize,
                             newAudioStart + audioEnd - audioStart);
    }
    if (error == 0) error = CopyOwnership(file.fd.get(), temporary.fd(), status);
    if (error == 0 && ::fsync(temporary.fd()) != 0) error = errno;
    if (error != 0) Fail(path, error, "cannot write the new file beside it; left unchanged");
    if (rewriteHook) rewriteHook(temporary.path());
    if (const int renameError = temporary.ReplaceOriginal(path))
        Fail(path, renameError, "cannot replace it with the new file; left unchanged");
    SyncFolderOf(path);
}

HeadWrite WriteHeadNow(const std::string& path, const LockedFile& file, const HeadPlan& plan) {
    if (plan.newTag.size() == plan.oldTag.size()) {
        WriteInPlace(path, file, plan);
        return HeadWrite::InPlace;
    }
    Rewrite(path, file, plan);
    return HeadWrite::Rewritten;
}

std::string BytesOf(const Id3v1Tag& block) {
    return std::string(reinterpret_cast<const char*>(&block), kBlockSize);
}

// Journals the plan (one sync), writes it and records the outcome.
HeadWrite WriteHead(const std::string& path, const LockedFile& file, const HeadPlan& plan, JournalWriter* journal) {
    if (journal == nullptr) return WriteHeadNow(path, file, plan);
    const off_t lengthAfterHead =
        file.length - static_cast<off_t>(plan.oldTag.size()) + static_cast<off_t>(plan.newTag.size());
    std::vector<std::size_t> entries = {
        journal->Add({JournalEntryKind::Id3v2Head, path, file.length, plan.oldTag, plan.newTag})};
    if (plan.newBlock) {
        entries.push_back(
            journal->Add({JournalEntryKind::TailBlock, path, lengthAfterHead,
                          HasBlock(plan) ? BytesOf(plan.oldBlock) : std::string(), BytesOf(*plan.newBlock)}));
    }
    journal->Sync();
    JournalOutcome outcome = JournalOutcome::Failed;
    auto record = [&] {
        for (const std::size_t entry : entries) journal->SetOutcome(entry, outcome);
    };
    try {
        const HeadWrite written = WriteHeadNow(path, file, plan);
        outcome = JournalOutcome::Written;
        record();
        return written;
    } catch (const FileError&) {
        record();
        throw;
    }
}

[[noreturn]] void FailOnTag(const std::string& path, const Id3v2Error& error) {
    throw FileError(path, EINVAL, std::string(error.what()) + "; left unchanged");
}

std::optional<std::string> Pick(const std::optional<std::string>& given, const Id3v2Field& frame,
                                const std::string& id3v1) {
    if (given) return given;
    if (frame.present || id3v1.empty()) return std::nullopt;
    return Cp936ToUtf8(id3v1);
}

}  // namespace

void SetRewriteHookForTesting(RewriteHook hook) {
    rewriteHook = hook;
}

BothTags ReadBothTags(const std::string& path) {
    const LockedFile file = OpenLocked(path, Access::Read);
    BothTags both;
    both.id3v1 =
        file.length < kBlockSize ? TagReadResult{ReadOutcome::TooShort, {}} : ParseTagBlock(ReadLastBlock(path, file));
    try {
        const std::string tag = ReadHeadTag(path, file);
        if (!tag.empty()) both.id3v2 = ReadPlainFields(tag);
        if (!tag.empty() && !both.id3v2) both.id3v2 = Id3v2Tag(tag).Fields();
    } catch (const Id3v2Error& error) {
        both.id3v2Problem = error.what();
    }
    return both;
}

MirrorOutcome UpdateTagsWithMirror(const std::string& path, const TagUpdate& update, const MirrorTexts& mirror,
                                   JournalWriter* journal) {
    LockedFile file = OpenLocked(path, Access::Write);
    if (file.length < kBlockSize) return {WriteOutcome::TooShort, HeadWrite::None};
    HeadPlan plan;
    plan.oldBlock = ReadLastBlock(path, file);
    plan.newBlock = UpdatedBlock(plan.oldBlock, update);
    try {
        plan.oldTag = ReadHeadTag(path, file);
        const TagFields id3v1 = ParseTagBlock(*plan.newBlock).fields;
        auto texts = [&](const Id3v2Fields& frames) {
            return MirrorTexts{Pick(mirror.title, frames.title, id3v1.title),
                               Pick(mirror.artist, frames.artist, id3v1.artist),
                               Pick(mirror.album, frames.album, id3v1.album)};
        };
        // A plain tag keeps its other frames untouched; any other is read and written in full.
        // Where all three texts are given, the frames present do not matter.
        const bool allGiven = mirror.title && mirror.artist && mirror.album;
        const std::optional<Id3v2Fields> plain = allGiven ? Id3v2Fields{} : ReadPlainFields(plan.oldTag);
        const std::optional<std::string> frames =
            plain ? PlainFramesWithTexts(plan.oldTag, texts(*plain)) : std::nullopt;
        if (frames) {
            ComposeNewTag(plan, plan.oldTag.empty() ? 3 : plan.oldTag[3], *frames);
        } else {
            Id3v2Tag tag(plan.oldTag);
            tag.SetTexts(texts(tag.Fields()));
            ComposeNewTag(plan, tag.version(), tag.RenderFrames());
        }
    } catch (const Id3v2Error& error) {
        FailOnTag(path, error);
    }
    const HeadWrite written = WriteHead(path, file, plan, journal);
    CloseWritten(path, file);
    return {WriteOutcome::Written, written};
}

MirrorTexts MirrorOf(const TagUpdate& update) {
    auto utf8 = [](const std::optional<std::string>& cp936) -> std::optional<std::string> {
        if (!cp936) return std::nullopt;
        return Cp936ToUtf8(*cp936);
    };
    return {utf8(update.title), utf8(update.artist), utf8(update.album)};
}

void WriteMirrorBatch(std::span<const BatchFile> files, JournalWriter* journal, const BatchCallback& onFile) {
    for (std::size_t at = 0; at < files.size(); ++at) {
        BatchFileResult result{at};
        std::optional<FileError> error;
        try {
            result.outcome =
                UpdateTagsWithMirror(files[at].path, files[at].update, MirrorOf(files[at].update), journal).id3v1;
        } catch (const FileError& caught) {
            error = caught;
            result.error = &*error;
        }
        if (!onFile(result)) break;
    }
    if (journal != nullptr) journal->Sync();
}

RepairOutcome RepairId3v2(const std::string& path, bool dryRun, JournalWriter* journal) {
    LockedFile file = OpenLocked(path, dryRun ? Access::Read : Access::Write);
    RepairOutcome outcome;
    HeadPlan plan;
    try {
        plan.oldTag = ReadHeadTag(path, file);
        if (plan.oldTag.empty()) return outcome;
        Id3v2Tag tag(plan.oldTag);
        outcome.repairs = tag.MislabelledFrames();
        if (dryRun || outcome.repairs.empty()) return outcome;
        tag.RepairMislabelledFrames();
        ComposeNewTag(plan, tag.version(), tag.RenderFrames());
    } catch (const Id3v2Error& error) {
        FailOnTag(path, error);
    }
    outcome.id3v2 = WriteHead(path, file, plan, journal);
    CloseWritten(path, file);
    return outcome;
}

RestoreOutcome RestoreId3v2Head(const JournalEntry& entry) {
    LockedFile file = OpenLocked(entry.path, Access::Write);
    const off_t lengthAfter =
        entry.lengthBefore - static_cast<off_t>(entry.oldBytes.size()) + static_cast<off_t>(entry.newBytes.size());
    auto startsWith = [&](const std::string& bytes) {
        std::string head(bytes.size(), '\0');
        if (const int error = ReadBytesAt(file.fd.get(), head.data(), head.size(), 0))
            Fail(entry.path, error, "cannot read");
        return head == bytes;
    };
    if (file.length == lengthAfter && startsWith(entry.newBytes)) {
        HeadPlan plan;
        plan.oldTag = entry.newBytes;
        plan.newTag = entry.oldBytes;
        WriteHeadNow(entry.path, file, plan);
        CloseWritten(entry.path, file);
        return RestoreOutcome::Restored;
    }
    if (file.length == entry.lengthBefore && startsWith(entry.oldBytes)) return RestoreOutcome::AsBefore;
    return RestoreOutcome::Changed;
}

}  // namespace sonatag
