#pragma once

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace sonatag {

// Owns an open file descriptor and closes it on every way out.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor& operator=(FileDescriptor&&) = delete;

    bool valid() const { return fd_ >= 0; }
    int get() const { return fd_; }

    // Closes it now: 0 or the error, which for a file just written may be a delayed write
    // error. The descriptor is gone either way (Linux frees it even when close() fails, also
    // on EINTR), so a failed close is never retried.
    int Close() { return ::close(std::exchange(fd_, -1)) == 0 ? 0 : errno; }

private:
    int fd_;
};

}  // namespace sonatag
