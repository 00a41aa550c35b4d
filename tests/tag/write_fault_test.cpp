// Faults injected into a write's system calls: this executable is linked with --wrap for
// pwrite, ftruncate, close and fdatasync, so that each call first takes the next result of its
// script.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>

#include "tag/id3v2_file.h"
#include "tag/journal.h"
#include "tag/tag_batch.h"
#include "tag/tag_file.h"
#include "tests/support/test_files.h"

namespace {

constexpr int kHalf = -1;  // pwrite: half of the bytes go through; 0: the call goes through; else errno

std::deque<int> pwriteScript, ftruncateScript, closeScript, fdatasyncScript;
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
int __real_fdatasync(int fd);

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

int __wrap_fdatasync(int fd) {
    const int result = Next(fdatasyncScript);
    return result ? Failed(result) : __real_fdatasync(fd);
}
}

namespace sonatag::test {
namespace {

TEST(WriteFaultTest, FailedWritesAndFailedRestoresAreReported) {
    const TempDir dir;
    const std::string path = dir.file("song.mp3"), audio(1000, 'U'), tagged = audio + "TAG" + std::string(125, 'o');
    const std::string withId3v2 = "ID3" + std::string("\3\0\0\0\0\0\x40", 7) + std::string(64, '\0') + tagged;
    auto because = [](const char* doing, int error) { return std::string(doing) + ": " + std::strerror(error); };
    const std::string noSpace = because("cannot write", ENOSPC), notRestored = "; could not restore the file: ";
    const std::string closeFailed = because("cannot finish writing", EIO);
    struct Case {
        std::string before;
        bool mirror;  // with the ID3v2 mirror, else ID3v1 alone
        std::deque<int> pwrites, ftruncates, closes;
        std::string reason;
        bool unchanged;
        int closeCalls;
    };
    const Case cases[] = {
        {audio, false, {kHalf, ENOSPC}, {EINTR}, {}, noSpace, true, 1},  // an interrupted restore is retried
        {tagged, false, {kHalf, ENOSPC, EINTR}, {}, {}, noSpace, true, 1},
        {audio, false, {kHalf, ENOSPC}, {EIO}, {}, noSpace + notRestored + std::strerror(EIO), false, 1},
        {tagged, false, {kHalf, ENOSPC, EIO}, {}, {}, noSpace + notRestored + std::strerror(EIO), false, 1},
        // A failed close is a failed write: the file is taken again and put back.
        {audio,
         false,
         {},
         {},
         {EINTR},
         because("cannot finish writing", EINTR) + "; the file was left as it was",
         true,
         2},
        {tagged, false, {}, {}, {EIO}, closeFailed + "; the file was left as it was", true, 2},
        {tagged, false, {0, EIO}, {}, {EIO}, closeFailed + notRestored + std::strerror(EIO), false, 2},
        {withId3v2, true, {EIO, EIO}, {}, {}, because("cannot write", EIO) + notRestored + std::strerror(EIO), true, 1},
        {withId3v2, true, {}, {}, {EIO}, closeFailed + "; the file was left as it was", true, 2},
    };
    for (const Case& c : cases) {
        WriteBytes(path, c.before);
        std::tie(pwriteScript, ftruncateScript, closeScript, closeCalls) =
            std::tuple(c.pwrites, c.ftruncates, c.closes, 0);
        std::string message = "no error";
        try {
            if (c.mirror)
                UpdateTagsWithMirror(path, {"new", "new", "new"}, {"new", "new", "new"});
            else
                WriteTagFields(path, "new", "new", "new");
        } catch (const FileError& error) {
            message = error.what();
        }
        EXPECT_EQ(closeCalls, c.closeCalls) << message;  // a failed close is never tried again
        pwriteScript = ftruncateScript = closeScript = {};
        EXPECT_EQ(message, path + ": " + c.reason);
        EXPECT_EQ(ReadBytes(path) == c.before, c.unchanged) << message;
    }
}

TEST(WriteFaultTest, ABatchWritesNothingWhileItsJournalIsNotOnTheDisk) {
    const TempDir dir;
    const std::vector<BatchFile> files = {{dir.file("song.mp3"), {"new", "", ""}}};
    WriteBytes(files[0].path, std::string(1000, 'U'));
    fdatasyncScript = {EIO};
    {
        JournalWriter journal(dir.file("journal"));
        EXPECT_THROW(WriteTagBatch(files, &journal, [](const BatchFileResult&) { return true; }), JournalError);
    }
    EXPECT_EQ(ReadBytes(files[0].path), std::string(1000, 'U'));
    EXPECT_FALSE(std::filesystem::exists(dir.file("journal")));
}

}  // namespace
}  // namespace sonatag::test
