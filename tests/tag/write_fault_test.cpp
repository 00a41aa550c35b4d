// Faults injected into the system calls of a write: this executable is linked with
// --wrap for pwrite, ftruncate and close, so each call first consults a script of results.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <string>

#include "tag/tag_file.h"
#include "tests/support/test_files.h"

namespace {

constexpr int kPass = 0;   // the call goes through
constexpr int kHalf = -1;  // pwrite only: half of the bytes go through

struct Script {
    std::deque<int> results;  // kPass, kHalf or an errno to fail with; then kPass
    int calls = 0;

    int Next() {
        ++calls;
        if (results.empty()) return kPass;
        const int result = results.front();
        results.pop_front();
        return result;
    }
};

Script pwriteScript, ftruncateScript, closeScript;

}  // namespace

extern "C" {
ssize_t __real_pwrite(int fd, const void* data, size_t count, off_t offset);
int __real_ftruncate(int fd, off_t length);
int __real_close(int fd);

ssize_t __wrap_pwrite(int fd, const void* data, size_t count, off_t offset) {
    const int result = pwriteScript.Next();
    if (result == kHalf) return __real_pwrite(fd, data, count / 2, offset);
    if (result == kPass) return __real_pwrite(fd, data, count, offset);
    errno = result;
    return -1;
}

int __wrap_ftruncate(int fd, off_t length) {
    if (const int error = ftruncateScript.Next()) {
        errno = error;
        return -1;
    }
    return __real_ftruncate(fd, length);
}

// Like Linux, the descriptor is released even when close() reports an error.
int __wrap_close(int fd) {
    const int error = closeScript.Next();
    const int result = __real_close(fd);
    if (error == 0) return result;
    errno = error;
    return -1;
}
}

namespace sonatag {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

TEST(WriteFaultTest, FailedWritesAndFailedRestoresAreReported) {
    const TempDir dir;
    const std::string path = dir.file("song.mp3");
    const std::string audio(1000, '\x55');
    const std::string tagged = audio + "TAG" + std::string(125, 'o');
    const std::string noSpace = std::string("cannot write: ") + std::strerror(ENOSPC);
    const std::string ioError = std::strerror(EIO);
    struct Case {
        std::string before;
        std::deque<int> pwrite, ftruncate, close;
        std::string reason;  // what the message ends with
        bool unchanged;
        int closeCalls;
    };
    const Case cases[] = {
        // An interrupted restore is retried.
        {audio, {kHalf, ENOSPC}, {EINTR}, {}, noSpace, true, 1},
        {tagged, {kHalf, ENOSPC, EINTR}, {}, {}, noSpace, true, 1},
        // A restore that fails is named.
        {audio, {kHalf, ENOSPC}, {EIO}, {}, noSpace + "; could not restore the file: " + ioError, false, 1},
        {tagged, {kHalf, ENOSPC, EIO}, {}, {}, noSpace + "; could not restore the file: " + ioError, false, 1},
        // A close that fails is a failed write, and an interrupted one is not closed again.
        {tagged, {}, {}, {EIO}, "cannot finish writing: " + ioError, false, 1},
        {audio, {}, {}, {EINTR}, std::string("cannot finish writing: ") + std::strerror(EINTR), false, 1},
    };
    for (const Case& c : cases) {
        WriteBytes(path, c.before);
        pwriteScript = {c.pwrite};
        ftruncateScript = {c.ftruncate};
        closeScript = {c.close};
        std::string message = "no error";
        try {
            WriteTagFields(path, "new", "new", "new");
        } catch (const FileError& error) {
            message = error.what();
        }
        const int closeCalls = closeScript.calls;
        pwriteScript = ftruncateScript = closeScript = {};
        EXPECT_TRUE(message.starts_with(path + ": ")) << message;
        EXPECT_TRUE(message.ends_with(c.reason)) << message;
        EXPECT_EQ(ReadBytes(path) == c.before, c.unchanged) << message;
        EXPECT_EQ(closeCalls, c.closeCalls) << message;
    }
}

}  // namespace
}  // namespace sonatag
