#include "tag/id3v2_rewrite.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace sonatag {
namespace {

// The file that path leads to through symbolic links, checked to be the one that is open.
std::string TargetOf(const std::string& path, const LockedFile& file) {
    const std::unique_ptr<char, decltype(&::free)> target(::realpath(path.c_str(), nullptr), &::free);
    if (!target) Fail(path, errno, "cannot find the file it names; left unchanged");
    struct stat status {};
    if (::stat(target.get(), &status) != 0 || status.st_dev != file.device || status.st_ino != file.inode)
        throw FileError(path, ESTALE, "the file was replaced while it was written; left unchanged");
    return target.get();
}

// A file created next to the original, removed again unless it replaced it.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& beside, const std::string& original)
        : path_(beside.substr(0, beside.rfind('/') + 1) + ".sonatag-XXXXXX"), fd_(::mkostemp(path_.data(), O_CLOEXEC)) {
        if (!fd_.valid()) Fail(original, errno, "cannot create a temporary file in its folder; left unchanged");
    }
    ~TemporaryFile() {
        if (!renamed_) ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_.get(); }
    const std::string& path() const { return path_; }
    int Close() { return fd_.Close(); }
    int Replace(const std::string& target) {
        if (::rename(path_.c_str(), target.c_str()) != 0) return errno;
        renamed_ = true;
        return 0;
    }

private:
    std::string path_;
    FileDescriptor fd_;
    bool renamed_ = false;
};

// Copies count bytes from in at offset to out at outOffset.
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

// Writes the new file: the head, the audio copied from the original, the tail. 0 or the error.
int WriteNewFile(const LockedFile& file, const RewritePlan& plan, int out) {
    const auto headSize = static_cast<off_t>(plan.head.size());
    const off_t audioSize = plan.audioEnd - plan.audioStart;
    if (const int error = WriteBytesAt(out, plan.head.data(), plan.head.size(), 0)) return error;
    if (const int error = CopyRange(file.fd.get(), plan.audioStart, out, headSize, static_cast<std::size_t>(audioSize)))
        return error;
    return WriteBytesAt(out, plan.tail.data(), plan.tail.size(), headSize + audioSize);
}

}  // namespace

void RewriteFile(const std::string& path, const LockedFile& file, const RewritePlan& plan,
                 const BeforeReplace& beforeReplace) {
    struct stat status {};
    if (::fstat(file.fd.get(), &status) != 0) Fail(path, errno, "cannot get its status");
    if (status.st_nlink > 1) {
        throw FileError(path, EMLINK,
                        "the ID3v2 tag does not fit in place and the file has other hard links, which a new file "
                        "would leave behind; left unchanged");
    }
    const std::string target = TargetOf(path, file);
    TemporaryFile temporary(target, path);
    int error = WriteNewFile(file, plan, temporary.fd());
    if (error == 0) error = CopyOwnership(file.fd.get(), temporary.fd(), status);
    if (error == 0 && ::fsync(temporary.fd()) != 0) error = errno;
    if (error == 0) error = temporary.Close();
    if (error != 0) Fail(path, error, "cannot write the new file beside it; left unchanged");
    if (beforeReplace) beforeReplace(temporary.path());
    if (const int renameError = temporary.Replace(target))
        Fail(path, renameError, "cannot replace it with the new file; left unchanged");
    SyncFolderOf(target);
}

}  // namespace sonatag
