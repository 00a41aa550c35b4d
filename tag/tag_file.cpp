#include "tag/tag_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "tag/locked_file.h"
#include "tag/tag_write.h"

namespace sonatag {
namespace {

// Year, comment and genre: an existing block keeps them when its texts are rewritten.
constexpr std::size_t kTailOffset = offsetof(Id3v1Tag, year);

// A file that cannot be opened for writing may still be too short to hold a block; that is
// an outcome, not an error.
bool IsTooShortForReading(const std::string& path) {
    const FileDescriptor fd = OpenExisting(path, Access::Read);
    struct stat status;
    return fd.valid() && ::fstat(fd.get(), &status) == 0 && S_ISREG(status.st_mode) && status.st_size < kBlockSize;
}

std::string Pick(const std::optional<std::string>& given, const std::string& present) {
    return given ? *given : present;
}

// The path for a message: a NUL inside it would end the message there.
std::string Printable(std::string path) {
    for (std::size_t at = path.find('\0'); at != std::string::npos; at = path.find('\0', at + 2))
        path.replace(at, 1, "\\0");
    return path;
}

}  // namespace

std::optional<LockedFile> OpenForWriting(const std::string& path) {
    FileDescriptor fd = OpenExisting(path, Access::Write);
    if (!fd.valid()) {
        const int error = errno;
        if (IsTooShortForReading(path)) return std::nullopt;
        Fail(path, error, "cannot open for writing");
    }
    return Lock(path, std::move(fd), Access::Write);
}

FileError::FileError(std::string path, int error, std::string reason)
    : std::runtime_error(Printable(path) + ": " + reason),
      path_(std::move(path)),
      error_(error),
      reason_(std::move(reason)) {}

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
    const std::optional<LockedFile> writable = OpenForWriting(path);
    if (!writable || writable->length < kBlockSize) return WriteOutcome::TooShort;
    const LockedFile& file = *writable;

    // The choice between overwriting and appending is made here, under the lock that the
    // write holds, so a file that changed since an earlier look is never damaged.
    const Id3v1Tag old = ReadLastBlock(path, file);
    WriteTagBlock(path, file, old, UpdatedBlock(old, update));
    return WriteOutcome::Written;
}

Id3v1Tag UpdatedBlock(const Id3v1Tag& old, const TagUpdate& update) {
    const bool hasBlock = HasTagIdentifier(old);
    const TagFields present = hasBlock ? ParseTagBlock(old).fields : TagFields{};
    Id3v1Tag block = BuildTagBlock(Pick(update.title, present.title), Pick(update.artist, present.artist),
                                   Pick(update.album, present.album));
    if (hasBlock)
        std::memcpy(reinterpret_cast<char*>(&block) + kTailOffset, reinterpret_cast<const char*>(&old) + kTailOffset,
                    kBlockSize - kTailOffset);
    return block;
}

void WriteTagBlock(const std::string& path, const LockedFile& file, const Id3v1Tag& old, const Id3v1Tag& block) {
    if (HasTagIdentifier(old)) {
        if (const int error = WriteBlockAt(file, block, file.length - kBlockSize)) {
            WriteBlockAt(file, old, file.length - kBlockSize);
            Fail(path, error, "cannot write");
        }
    } else if (const int error = WriteBlockAt(file, block, file.length)) {
        (void)::ftruncate(file.fd.get(), file.length);
        Fail(path, error, "cannot write");
    }
}

}  // namespace sonatag
