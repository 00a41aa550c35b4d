// Faults injected into a write's system calls: this executable is linked with --wrap for
// pwrite, ftruncate and close, so that each call first takes the next result of its script.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>

#include "tag/tag_file.h"
#include "tests/support/test_files.h"

namespace {

constexpr int kHalf = -1;  // pwrite: half of the bytes go through; 0: the call goes through; else errno

std::deque<int> pwriteScript, ftruncateScript, closeScript;
int closeCalls = 0;

int Next(std::deque<int>& script) {
    const int result = script.empty() ? 0 : script.front();
    if (!script.empty()) script.pop_front();
    return result;
}

int Failed(int error) {
    return errno = error, -1;
}

}  // namespace

extern "C" {
ssize_t __real_pwrite(int fd, const void* data, size_t count, off_t offset);
int __real_ftruncate(int fd, off_t length);
int __real_close(int fd);

ssize_t __wrap_pwrite(int fd, const void* data, size_t count, off_t offset) {
    const int result = Next(pwriteScript);
    return result > 0 ? Failed(result) : __real_pwrite(fd, data, result == kHalf ? count / 2 : count, offset);
}

int __wrap_ftruncate(int fd, off_t length) {
    const int result = Next(ftruncateScript);
    return result ? Failed(result) : __real_ftruncate(fd, length);
}

int __wrap_close(int fd) {  // like Linux, frees the descriptor even when it fails
    ++closeCalls;
    const int result = Next(closeScript), closed = __real_close(fd);
    return result ? Failed(result) : closed;
}
}

namespace sonatag::test {
namespace {

TEST(WriteFaultTest, FailedWritesAndFailedRestoresAreReported) {
    const TempDir dir;
    const std::string path = dir.file("song.mp3"), audio(1000, 'U'), tagged = audio + "TAG" + std::string(125, 'o');
    const std::string noSpace = std::string("cannot write: ") + std::strerror(ENOSPC);
    const std::string notRestored = noSpace + "; could not restore the file: " + std::strerror(EIO);
    // The file before; the scripts of pwrite, ftruncate and close; the reason; whether the file is as before.
    const std::tuple<std::string, std::deque<int>, std::deque<int>, std::deque<int>, std::string, bool> cases[] = {
        {audio, {kHalf, ENOSPC}, {EINTR}, {}, noSpace, true},  // an interrupted restore is retried
        {tagged, {kHalf, ENOSPC, EINTR}, {}, {}, noSpace, true},
        {audio, {kHalf, ENOSPC}, {EIO}, {}, notRestored, false},
        {tagged, {kHalf, ENOSPC, EIO}, {}, {}, notRestored, false},
        {audio, {}, {}, {EINTR}, std::string("cannot finish writing: ") + std::strerror(EINTR), false},
    };
    for (const auto& [before, pwrites, ftruncates, closes, reason, unchanged] : cases) {
        WriteBytes(path, before);
        std::tie(pwriteScript, ftruncateScript, closeScript, closeCalls) = std::tuple(pwrites, ftruncates, closes, 0);
        std::string message = "no error";
        try {
            WriteTagFields(path, "new", "new", "new");
        } catch (const FileError& error) {
            message = error.what();
        }
        EXPECT_EQ(closeCalls, 1) << message;  // and never closed again
        pwriteScript = ftruncateScript = closeScript = {};
        EXPECT_EQ(message, path + ": " + reason);
        EXPECT_EQ(ReadBytes(path) == before, unchanged) << message;
    }
}

}  // namespace
}  // namespace sonatag::test
