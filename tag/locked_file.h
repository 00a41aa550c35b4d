#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

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
};

// Throws FileError(path, error, "doing: <the system's text for error>").
[[noreturn]] void Fail(const std::string& path, int error, std::string_view doing);

// open() of an existing file, never created or truncated, never a controlling terminal,
// never blocking. Returns an invalid descriptor with errno set on failure.
FileDescriptor OpenExisting(const std::string& path, Access access);

// Locks fd for access and checks that it is a regular file; throws when another program
// holds a lock that conflicts ("the file is in use by another program").
LockedFile Lock(const std::string& path, FileDescriptor fd, Access access);

// OpenExisting and Lock; "cannot open" when the open fails.
LockedFile OpenLocked(const std::string& path, Access access);

// The last kBlockSize bytes; the file must be at least that long.
Id3v1Tag ReadLastBlock(const std::string& path, const LockedFile& file);

// Writes all of block at offset, retrying interrupted and partial writes. Returns 0 or the
// error; a write that stops short without one counts as EIO.
int WriteBlockAt(const LockedFile& file, const Id3v1Tag& block, off_t offset);

}  // namespace sonatag

namespace sonatag {

// count bytes at offset, with the retries of WriteBlockAt. 0 or the error; a file that ends
// before count bytes counts as EIO.
int ReadBytesAt(int fd, char* data, std::size_t count, off_t offset);
int WriteBytesAt(int fd, const char* data, std::size_t count, off_t offset);

}  // namespace sonatag
