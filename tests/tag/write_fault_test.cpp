// Faults injected into a write's system calls: this executable is linked with --wrap for
// pwrite, ftruncate and close, so that each call first takes the next result of its script.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <string>

#include "tag/tag_file.h"
#include "tests/support/test_files.h"

namespace {

constexpr int kHalf = -1;  // pwrite: half of the bytes go through; 0: the call goes through; else errno

struct Script {
    std::deque<int> results;
    int calls = 0;

    int Next() {
        ++calls;
        const int result = results.empty() ? 0 : results.front();
        if (!results.empty()) results.pop_front();
        return result;
    }
};

Script pwriteScript, ftruncateScript, closeScript;

int Failed(int error) {
    errno = error;
    return -1;
}

}  // namespace

extern "C" {
ssize_t __real_pwrite(int fd, const void* data, size_t count, off_t offset);
int __real_ftruncate(int fd, off_t length);
int __real_close(int fd);

ssize_t __wrap_pwrite(int fd, const void* data, size_t count, off_t offset) {
    const int result = pwriteScript.Next();
    return result > 0 ? Failed(result) : __real_pwrite(fd, data, result == kHalf ? count / 2 : count, offset);
}

int __wrap_ftruncate(int fd, off_t length) {
    const int result = ftruncateScript.Next();
    return result ? Failed(result) : __real_ftruncate(fd, length);
}

int __wrap_close(int fd) {  // like Linux, frees the descriptor even when it fails
    const int result = closeScript.Next(), closed = __real_close(fd);
    return result ? Failed(result) : closed;
}
}

namespace sonatag {
namespace {

TEST(WriteFaultTest, FailedWritesAndFailedRestoresAreReported) {
    const test::TempDir dir;
    const std::string path = dir.file("song.mp3"), audio(1000, 'U'), tagged = audio + "TAG" + std::string(125, 'o');
    const std::string noSpace = std::string("cannot write: ") + std::strerror(ENOSPC);
    const std::string notRestored = noSpace + "; could not restore the file: " + std::strerror(EIO);
    const std::string notClosed = "cannot finish writing: ";
    struct Case {
        std::string before;
        std::deque<int> pwrite, ftruncate, close;
        std::string reason;
        bool unchanged;
    };
    const Case cases[] = {
        {audio, {kHalf, ENOSPC}, {EINTR}, {}, noSpace, true},  // an interrupted restore is retried
        {tagged, {kHalf, ENOSPC, EINTR}, {}, {}, noSpace, true},
        {audio, {kHalf, ENOSPC}, {EIO}, {}, notRestored, false},
        {tagged, {kHalf, ENOSPC, EIO}, {}, {}, notRestored, false},
        {tagged, {}, {}, {EIO}, notClosed + std::strerror(EIO), false},
        {audio, {}, {}, {EINTR}, notClosed + std::strerror(EINTR), false},  // and never closed again
    };
    for (const Case& c : cases) {
        test::WriteBytes(path, c.before);
        pwriteScript = {c.pwrite};
        ftruncateScript = {c.ftruncate};
        closeScript = {c.close};
        std::string message = "no error";
        try {
            WriteTagFields(path, "new", "new", "new");
        } catch (const FileError& error) {
            message = error.what();
        }
        EXPECT_EQ(closeScript.calls, 1) << message;
        pwriteScript = ftruncateScript = closeScript = {};
        EXPECT_EQ(message, path + ": " + c.reason);
        EXPECT_EQ(test::ReadBytes(path) == c.before, c.unchanged) << message;
    }
}

}  // namespace
}  // namespace sonatag
