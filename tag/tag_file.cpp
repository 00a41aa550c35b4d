#include "tag/tag_file.h"

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "tag/field_rules.h"
#include "tag/locked_file.h"
#include "tag/tag_write.h"

namespace sonatag {
namespace {

// After a failed write: the old block over a half-written one, or the length before a
// half-done append. Throws the write's error, and the restore's too when that failed.
[[noreturn]] void FailWrite(const std::string& path, const LockedFile& file, int writeError,
                            const std::optional<Id3v1Tag>& old) {
    const off_t blockStart = old ? file.length - kBlockSize : file.length;
    const int restoreError = old ? WriteBlockAt(file, *old, blockStart) : TruncateTo(file, blockStart);
    if (restoreError == 0) Fail(path, writeError, "cannot write");
    throw FileError(path, writeError,
                    std::string("cannot write: ") + std::strerror(writeError) +
                        "; could not restore the file: " + std::strerror(restoreError));
}

// The path for a message: a NUL inside it would end the message there.
std::string Printable(std::string path) {
    for (std::size_t at = path.find('\0'); at != std::string::npos; at = path.find('\0', at + 2))
        path.replace(at, 1, "\\0");
    return path;
}

}  // namespace

FileError::FileError(std::string path, int error, std::string reason)
    : std::runtime_error(Printable(path) + ": " + reason),
      path_(std::move(path)),
      error_(error),
      reason_(std::move(reason)) {}

std::optional<LockedFile> OpenForWriting(const std::string& path) {
    const off_t length = CheckRegularFile(path);
    FileDescriptor fd = OpenExisting(path, Access::Write);
    if (!fd.valid()) {
        if (length < kBlockSize) return std::nullopt;
        Fail(path, errno, "cannot open for writing");
    }
    return Lock(path, std::move(fd), Access::Write);
}

Id3v1Tag UpdatedBlock(const Id3v1Tag& old, const TagUpdate& update) {
    Id3v1Tag block = HasTagIdentifier(old) ? old : BuildTagBlock({}, {}, {});
    if (update.title) CopyFieldBytes(block.title, *update.title, kFieldSize);
    if (update.artist) CopyFieldBytes(block.artist, *update.artist, kFieldSize);
    if (update.album) CopyFieldBytes(block.album, *update.album, kFieldSize);
    return block;
}

void WriteTagBlock(const std::string& path, const LockedFile& file, const Id3v1Tag& old, const Id3v1Tag& block) {
    const bool hasBlock = HasTagIdentifier(old);
    const off_t blockStart = hasBlock ? file.length - kBlockSize : file.length;
    if (const int error = WriteBlockAt(file, block, blockStart))
        FailWrite(path, file, error, hasBlock ? std::optional(old) : std::nullopt);
}

TagReadResult ReadTagFields(const std::string& path) {
    const LockedFile file = OpenLocked(path, Access::Read);
    if (file.length < kBlockSize) return {ReadOutcome::TooShort, {}};
    return ParseTagBlock(ReadLastBlock(path, file));
}

WriteOutcome WriteTagFields(const std::string& path, std::string_view title, std::string_view artist,
                            std::string_view album) {
    return UpdateTagFields(path, {std::string(title), std::string(artist), std::string(album)});
}

WriteOutcome UpdateTagFields(const std::string& path, const TagUpdate& update) {
    std::optional<LockedFile> writable = OpenForWriting(path);
    if (!writable || writable->length < kBlockSize) return WriteOutcome::TooShort;
    LockedFile& file = *writable;

    // The choice between overwriting and appending is made here, under the lock that the
    // write holds, so a file that changed since an earlier look is never damaged.
    const Id3v1Tag old = ReadLastBlock(path, file);
    WriteTagBlock(path, file, old, UpdatedBlock(old, update));
    CloseWritten(path, file);
    return WriteOutcome::Written;
}

}  // namespace sonatag
