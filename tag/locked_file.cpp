#include "tag/locked_file.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <utility>

namespace sonatag {
namespace {

constexpr int kOpenFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
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

// The folder of the last file looked up in a FolderScope, and how many scopes are open.
struct OpenFolder {
    int scopes = 0;
    std::string path;
    int fd = -1;

    void Close() {
        if (fd >= 0) ::close(fd);
        fd = -1;
        path.clear();
    }
};
thread_local OpenFolder openFolder;

// Where a path is looked up: a folder's descriptor and a name in it, or the whole path from the
// current folder outside a FolderScope and where the folder cannot be opened.
struct Place {
    int folder;
    const char* name;
};

Place PlaceOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (openFolder.scopes == 0 || slash == std::string::npos || slash + 1 == path.size())
        return {AT_FDCWD, path.c_str()};
    const std::string_view folder(path.data(), slash == 0 ? 1 : slash);
    if (openFolder.fd < 0 || folder != openFolder.path) {
        openFolder.Close();
        openFolder.fd = ::open(std::string(folder).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (openFolder.fd < 0) return {AT_FDCWD, path.c_str()};
        openFolder.path = folder;
    }
    return {openFolder.fd, path.c_str() + slash + 1};
}

[[noreturn]] void FailNotRegular(const std::string& path, const struct stat& status) {
    throw FileError(path, S_ISDIR(status.st_mode) ? EISDIR : EINVAL, "not a regular file");
}

// 0 or the error of the first lock that cannot be had. The open file description lock
// covers the whole file however long it grows (l_start and l_len 0).
int LockBothFamilies(int fd, Access access) {
    const bool exclusive = access == Access::Write;
    if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) return errno;
    struct flock whole {};
    whole.l_type = exclusive ? F_WRLCK : F_RDLCK;
    whole.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &whole) == 0 ? 0 : errno;
}

}  // namespace

FolderScope::FolderScope() {
    ++openFolder.scopes;
}

FolderScope::~FolderScope() {
    if (--openFolder.scopes == 0) openFolder.Close();
}

void Fail(const std::string& path, int error, std::string_view doing) {
    std::string reason(doing);
    reason += ": ";
    reason += std::strerror(error);
    throw FileError(path, error, std::move(reason));
}

FileDescriptor OpenExisting(const std::string& path, Access access) {
    // open() takes the path up to its first NUL: a path with a NUL inside would name another file.
    if (path.find('\0') != std::string::npos) {
        errno = EINVAL;
        return FileDescriptor(-1);
    }
    const int mode = access == Access::Write ? O_RDWR : O_RDONLY;
    const Place place = PlaceOf(path);
    return FileDescriptor(::openat(place.folder, place.name, mode | kOpenFlags));
}

LockedFile Lock(const std::string& path, FileDescriptor fd, Access access) {
    if (const int error = LockBothFamilies(fd.get(), access)) {
        if (error == EWOULDBLOCK || error == EACCES)
            throw FileError(path, EWOULDBLOCK, "the file is in use by another program");
        Fail(path, error, "cannot lock");
    }
    struct stat status;
    if (::fstat(fd.get(), &status) != 0) Fail(path, errno, "cannot get its length");
    if (!S_ISREG(status.st_mode)) FailNotRegular(path, status);
    return {std::move(fd), status.st_size, status.st_dev, status.st_ino};
}

off_t CheckRegularFile(const std::string& path) {
    // stat() takes the path up to its first NUL: a path with a NUL inside would name another file.
    if (path.find('\0') != std::string::npos) Fail(path, EINVAL, "cannot open");
    struct stat status;
    const Place place = PlaceOf(path);
    if (::fstatat(place.folder, place.name, &status, 0) != 0) Fail(path, errno, "cannot open");
    if (!S_ISREG(status.st_mode)) FailNotRegular(path, status);
    return status.st_size;
}

LockedFile OpenLocked(const std::string& path, Access access) {
    CheckRegularFile(path);
    FileDescriptor fd = OpenExisting(path, access);
    if (!fd.valid()) Fail(path, errno, access == Access::Write ? "cannot open for writing" : "cannot open");
    return Lock(path, std::move(fd), access);
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

int WriteBlockAt(const LockedFile& file, const Id3v1Tag& block, off_t offset) {
    auto write = [](int fd, char* data, std::size_t count, off_t offset) { return ::pwrite(fd, data, count, offset); };
    auto bytes = const_cast<char*>(reinterpret_cast<const char*>(&block));
    const int error = TransferAll(write, file.fd.get(), bytes, kBlockSize, offset);
    return error == kEndedEarly ? EIO : error;
}

int TruncateTo(const LockedFile& file, off_t length) {
    while (::ftruncate(file.fd.get(), length) != 0) {
        if (errno != EINTR) return errno;
    }
    return 0;
}

void SyncFolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid()) (void)::fsync(fd.get());
}

int PutBack(const LockedFile& file, const Replaced& replaced) {
    for (auto piece = replaced.bytes.rbegin(); piece != replaced.bytes.rend(); ++piece) {
        if (const int error = WriteBytesAt(file.fd.get(), piece->second.data(), piece->second.size(), piece->first))
            return error;
    }
    return replaced.lengthBefore ? TruncateTo(file, *replaced.lengthBefore) : 0;
}

void FailWrite(const std::string& path, const LockedFile& file, int error, std::string_view doing,
               const Replaced& replaced) {
    const int restoreError = PutBack(file, replaced);
    if (restoreError == 0) Fail(path, error, doing);
    throw FileError(path, error,
                    std::string(doing) + ": " + std::strerror(error) +
                        "; could not restore the file: " + std::strerror(restoreError));
}

void CloseWritten(const std::string& path, LockedFile& file, const Replaced& replaced) {
    const int error = file.fd.Close();
    if (error == 0) return;
    const std::string reason = std::string("cannot finish writing: ") + std::strerror(error);
    // The descriptor is gone with its locks; the file is taken again the way it was, and only
    // where it is still the same file.
    int restoreError = 0;
    try {
        LockedFile again = OpenLocked(path, Access::Write);
        if (again.device != file.device || again.inode != file.inode) {
            restoreError = ESTALE;
        } else {
            restoreError = PutBack(again, replaced);
            if (restoreError == 0) restoreError = again.fd.Close();
        }
    } catch (const FileError& reopen) {
        restoreError = reopen.error();
    }
    if (restoreError == 0) throw FileError(path, error, reason + "; the file was left as it was");
    throw FileError(path, error, reason + "; could not restore the file: " + std::strerror(restoreError));
}

}  // namespace sonatag

namespace sonatag {

int ReadBytesAt(int fd, char* data, std::size_t count, off_t offset) {
    const int error = TransferAll(::pread, fd, data, count, offset);
    return error == kEndedEarly ? EIO : error;
}

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        } else if (written == 0) {
            return EIO;
        } else if (errno == EAGAIN) {
            pollfd ready{fd, POLLOUT, 0};
            ::poll(&ready, 1, -1);
        } else if (errno != EINTR) {
            return errno;
        }
    }
    return 0;
}

int WriteBytesAt(int fd, const char* data, std::size_t count, off_t offset) {
    auto write = [](int fd, char* data, std::size_t count, off_t offset) { return ::pwrite(fd, data, count, offset); };
    const int error = TransferAll(write, fd, const_cast<char*>(data), count, offset);
    return error == kEndedEarly ? EIO : error;
}

}  // namespace sonatag
