#include "tag/tag_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "tag/file_descriptor.h"

namespace sonatag {
namespace {

constexpr off_t kBlockSize = sizeof(Id3v1Tag);
constexpr int kOpenFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

// Year, comment and genre: an existing block keeps them when its texts are rewritten.
constexpr std::size_t kTailOffset = offsetof(Id3v1Tag, year);

[[noreturn]] void Fail(const std::string& path, int error, std::string_view doing) {
    std::string reason(doing);
    reason += ": ";
    reason += std::strerror(error);
    throw FileError(path, error, std::move(reason));
}

// An open file, locked for this process alone, known to be a regular file.
struct LockedFile {
    FileDescriptor fd;
    off_t length;
};

LockedFile Lock(const std::string& path, FileDescriptor fd) {
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) throw FileError(path, errno, "the file is in use by another program");
        Fail(path, errno, "cannot lock");
    }
    struct stat status;
    if (::fstat(fd.get(), &status) != 0) Fail(path, errno, "cannot get its length");
    if (!S_ISREG(status.st_mode)) {
        const int error = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        throw FileError(path, error, "not a regular file");
    }
    return {std::move(fd), status.st_size};
}

// open() takes the path up to its first NUL: a path with a NUL inside would name another file.
int OpenExisting(const std::string& path, int access) {
    if (path.find('\0') != std::string::npos) {
        errno = EINVAL;
        return -1;
    }
    return ::open(path.c_str(), access | kOpenFlags);
}

LockedFile OpenForReading(const std::string& path) {
    FileDescriptor fd(OpenExisting(path, O_RDONLY));
    if (!fd.valid()) Fail(path, errno, "cannot open");
    return Lock(path, std::move(fd));
}

constexpr int kEndedEarly = -1;

// pread/pwrite until all count bytes are done. Returns 0, errno, or kEndedEarly where the
// transfer stopped short without an error.
template <typename Transfer>
int TransferAll(Transfer transfer, int fd, char* data, std::size_t count, off_t offset) {
    while (count > 0) {
        const ssize_t done = transfer(fd, data, count, offset);
        if (done < 0 && errno == EINTR) continue;
        if (done < 0) return errno;
        if (done == 0) return kEndedEarly;
        data += done;
        count -= static_cast<std::size_t>(done);
        offset += done;
    }
    return 0;
}

Id3v1Tag ReadLastBlock(const std::string& path, const LockedFile& file) {
    Id3v1Tag block;
    auto read = [](int fd, char* data, std::size_t count, off_t offset) { return ::pread(fd, data, count, offset); };
    const int error =
        TransferAll(read, file.fd.get(), reinterpret_cast<char*>(&block), kBlockSize, file.length - kBlockSize);
    if (error == kEndedEarly) throw FileError(path, EIO, "the file changed while it was read");
    if (error != 0) Fail(path, error, "cannot read");
    return block;
}

// 0 or the error; a write that stops short without one counts as an I/O error.
int WriteBlock(int fd, const Id3v1Tag& block, off_t offset) {
    auto write = [](int fd, char* data, std::size_t count, off_t offset) { return ::pwrite(fd, data, count, offset); };
    auto bytes = const_cast<char*>(reinterpret_cast<const char*>(&block));
    const int error = TransferAll(write, fd, bytes, kBlockSize, offset);
    return error == kEndedEarly ? EIO : error;
}

// A file that cannot be opened for writing may still be too short to hold a block; that is
// an outcome, not an error.
bool IsTooShortForReading(const std::string& path) {
    FileDescriptor fd(OpenExisting(path, O_RDONLY));
    struct stat status;
    return fd.valid() && ::fstat(fd.get(), &status) == 0 && S_ISREG(status.st_mode) && status.st_size < kBlockSize;
}

// Empty when the file cannot be opened for writing but is too short to hold a block anyway.
std::optional<LockedFile> OpenForWriting(const std::string& path) {
    FileDescriptor fd(OpenExisting(path, O_RDWR));
    if (!fd.valid()) {
        const int error = errno;
        if (IsTooShortForReading(path)) return std::nullopt;
        Fail(path, error, "cannot open for writing");
    }
    return Lock(path, std::move(fd));
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

FileError::FileError(std::string path, int error, std::string reason)
    : std::runtime_error(Printable(path) + ": " + reason),
      path_(std::move(path)),
      error_(error),
      reason_(std::move(reason)) {}

TagReadResult ReadTagFields(const std::string& path) {
    const LockedFile file = OpenForReading(path);
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
    const bool hasBlock = HasTagIdentifier(old);
    const TagFields present = hasBlock ? ParseTagBlock(old).fields : TagFields{};
    Id3v1Tag block = BuildTagBlock(Pick(update.title, present.title), Pick(update.artist, present.artist),
                                   Pick(update.album, present.album));

    const int fd = file.fd.get();
    if (hasBlock) {
        std::memcpy(reinterpret_cast<char*>(&block) + kTailOffset, reinterpret_cast<const char*>(&old) + kTailOffset,
                    kBlockSize - kTailOffset);
        if (const int error = WriteBlock(fd, block, file.length - kBlockSize)) {
            WriteBlock(fd, old, file.length - kBlockSize);
            Fail(path, error, "cannot write");
        }
    } else if (const int error = WriteBlock(fd, block, file.length)) {
        (void)::ftruncate(fd, file.length);
        Fail(path, error, "cannot write");
    }
    return WriteOutcome::Written;
}

}  // namespace sonatag
