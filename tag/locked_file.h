#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tag/file_descriptor.h"
#include "tag/id3v1_tag.h"
#include "tag/tag_file.h"

// File access shared by everything that reads or writes the end of an MP3 file: opening an
// existing regular file, locking it against other programs, moving whole blocks with retries.
// Every function that names a path throws FileError for it.
namespace sonatag {

inline constexpr off_t kBlockSize = sizeof(Id3v1Tag);

enum class Access { Read, Write };

// An open file, locked for the access it was opened with, known to be a regular file.
struct LockedFile {
    FileDescriptor fd;
    off_t length;
    dev_t device = 0;
    ino_t inode = 0;
};

// What a write replaced, so that it can be put back: the bytes it overwrote, at their offsets,
// and the length the file had where the write made it longer.
struct Replaced {
    std::vector<std::pair<off_t, std::string>> bytes;
    std::optional<off_t> lengthBefore;
};

// While one lives on a thread, the files that thread names by path are reached from the folder
// of the file before them, which stays open: a run of files in one folder costs a lookup of one
// name each rather than walks of the whole path. Symbolic links are followed as open() follows
// them. Scopes nest; the outermost one closes the folder. Each lives on one thread.
class FolderScope {
public:
    FolderScope();
    ~FolderScope();
    FolderScope(const FolderScope&) = delete;
    FolderScope& operator=(const FolderScope&) = delete;
};

// Throws FileError(path, error, "doing: <the system's text for error>").
[[noreturn]] void Fail(const std::string& path, int error, std::string_view doing);

// open() of an existing file, never created or truncated, never a controlling terminal,
// never blocking. Returns an invalid descriptor with errno set on failure.
FileDescriptor OpenExisting(const std::string& path, Access access);

// Checks that fd is a regular file and locks it in both lock families Linux has: flock and
// an open file description lock, which conflicts with fcntl and lockf locks. Read takes
// shared locks, which let other readers in; Write takes exclusive ones. Throws "the file is
// in use by another program" when another program holds a lock that conflicts.
LockedFile Lock(const std::string& path, FileDescriptor fd, Access access);

// CheckRegularFile, OpenExisting and Lock; "cannot open" when the open fails.
LockedFile OpenLocked(const std::string& path, Access access);

// Throws "not a regular file" unless path names a regular file, before anything opens it:
// opening a device can have effects of its own (a tape rewinds). Lock checks again, for a
// path that changes in between. Returns the length seen now.
off_t CheckRegularFile(const std::string& path);

// The last kBlockSize bytes; the file must be at least that long.
Id3v1Tag ReadLastBlock(const std::string& path, const LockedFile& file);

// Writes all of block at offset, retrying interrupted and partial writes. Returns 0 or the
// error; a write that stops short without one counts as EIO.
int WriteBlockAt(const LockedFile& file, const Id3v1Tag& block, off_t offset);

// ftruncate, retried when interrupted. Returns 0 or the error.
int TruncateTo(const LockedFile& file, off_t length);

// Puts back what a write replaced, the bytes last first; 0 or the error.
int PutBack(const LockedFile& file, const Replaced& replaced);

// Throws FileError(path, error, "doing: <the system's text>") after a write failed: the file is
// put back as it was, and where that fails too the message ends with "; could not restore the
// file: " and why.
[[noreturn]] void FailWrite(const std::string& path, const LockedFile& file, int error, std::string_view doing,
                            const Replaced& replaced);

// Syncs the folder that holds path, so that a rename into it is on the disk; where it cannot be
// opened, nothing is done.
void SyncFolderOf(const std::string& path);

// Closes a file that was written. A failure there (a delayed write error of a network or FUSE
// file system) is a failed write: the file is opened again under the same locks and what the
// write replaced is put back, and "cannot finish writing" is thrown, saying whether the file is
// as it was.
void CloseWritten(const std::string& path, LockedFile& file, const Replaced& replaced);

}  // namespace sonatag

namespace sonatag {

// count bytes at offset, with the retries of WriteBlockAt. 0 or the error; a file that ends
// before count bytes counts as EIO.
int ReadBytesAt(int fd, char* data, std::size_t count, off_t offset);
int WriteBytesAt(int fd, const char* data, std::size_t count, off_t offset);

// Writes all of bytes where the descriptor stands (a pipe, a terminal, a journal), retrying
// interrupted and partial writes and waiting where a non-blocking descriptor would block. 0 or
// the error; a write that takes nothing counts as EIO.
int WriteAll(int fd, std::string_view bytes);

}  // namespace sonatag
