#include "tag/locked_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <optional>

#include "tag/folder_walk.h"
#include "tag/tag_file.h"
#include "tests/support/test_files.h"

namespace sonatag::test {
namespace {

// What a read and then a write of path come to: "read"/"wrote" or the error's reason.
std::string ReadAndWrite(const std::string& path) {
    std::string result;
    for (const bool write : {false, true}) {
        try {
            write ? (void)WriteTagFields(path, "t", "a", "b") : (void)ReadTagFields(path);
            result += write ? "wrote" : "read; ";
        } catch (const FileError& error) {
            result += error.reason() + (write ? "" : "; ");
        }
    }
    return result;
}

// A child process that locks path with lock until it is killed. A record lock has to live in
// another process: any close() of the file in this one would drop it.
pid_t LockInChild(const std::string& path, int (*lock)(int)) {
    int ready[2];
    if (::pipe(ready) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(20);
        const char locked = lock(::open(path.c_str(), O_RDWR)) == 0 ? 'y' : 'n';
        ::write(ready[1], &locked, 1);
        ::pause();
    }
    char locked = 'n';
    ::read(ready[0], &locked, 1);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(locked, 'y');
    return child;
}

TEST(LockedFileTest, RecordLocksOfOtherProgramsCountAndReadersShare) {
    const TempDir dir;
    const std::string path = dir.file("song.mp3"), before(200, 'x');
    WriteBytes(path, before);
    const std::string inUse = "the file is in use by another program";
    const std::pair<int (*)(int), std::string> cases[] = {
        {[](int fd) {
             struct flock whole {};
             whole.l_type = F_RDLCK;
             return ::fcntl(fd, F_SETLK, &whole);
         },
         "read; " + inUse},
        {[](int fd) { return ::lockf(fd, F_TLOCK, 0); }, inUse + "; " + inUse},
        {[](int fd) { return ::flock(fd, LOCK_SH); }, "read; " + inUse},
    };
    for (const auto& [lock, expected] : cases) {
        const pid_t child = LockInChild(path, lock);
        EXPECT_EQ(ReadAndWrite(path), expected);
        EXPECT_EQ(ReadBytes(path), before);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
}

TEST(LockedFileTest, WhatIsNoRegularFileIsNeverOpened) {
    const TempDir dir;
    const std::string fifo = dir.file("fifo.mp3"), device = dir.file("null.mp3"), song = dir.file("song.mp3");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const bool hasDevice = ::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;  // where allowed
    WriteBytes(song, std::string(300, 'x'));
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(watch, dir.path().c_str(), IN_OPEN), 0);
    // Reached by the whole path, and from the folder of the file before.
    for (const bool fromFolder : {false, true}) {
        std::optional<FolderScope> folders;
        if (fromFolder) folders.emplace();
        for (const std::string& path : {fifo, dir.path().string(), device, song}) {
            if (path == device && !hasDevice) continue;
            for (const Access access : {Access::Read, Access::Write}) {
                std::string reason = "opened";
                try {
                    OpenLocked(path, access);
                } catch (const FileError& error) {
                    reason = error.reason();
                }
                alignas(inotify_event) char events[4096];
                const bool opened = ::read(watch, events, sizeof events) > 0;
                EXPECT_EQ(reason, path == song ? "opened" : "not a regular file") << path << fromFolder;
                EXPECT_EQ(opened, path == song) << path << fromFolder;
            }
        }
    }
    ::close(watch);
}

// A file that a folder or a FIFO takes the place of between the walk and the reading.
TEST(LockedFileTest, AFileReplacedAfterTheWalkIsNeverOpened) {
    const TempDir dir;
    WriteBytes(dir.file("a.mp3"), std::string(300, 'x'));
    WriteBytes(dir.file("b.mp3"), std::string(300, 'x'));
    struct Replacing : WalkVisitor {
        void OnFile(const std::string& path) override {
            std::filesystem::remove(path);
            path.ends_with("a.mp3") ? (void)std::filesystem::create_directory(path)
                                    : (void)::mkfifo(path.c_str(), 0644);
            const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
            ::inotify_add_watch(watch, path.c_str(), IN_OPEN);
            try {
                ReadTagFields(path);
            } catch (const FileError& error) {
                reasons.push_back(error.reason());
            }
            alignas(inotify_event) char events[4096];
            opened += ::read(watch, events, sizeof events) > 0 ? 1 : 0;
            ::close(watch);
        }
        void OnUnreadableFolder(const std::string&, int) override {}
        std::vector<std::string> reasons;
        int opened = 0;
    } visitor;
    const FolderScope folders;
    WalkFolder(dir.path(), SortNaturally, visitor);
    EXPECT_EQ(visitor.reasons, (std::vector<std::string>{"not a regular file", "not a regular file"}));
    EXPECT_EQ(visitor.opened, 0);
}

}  // namespace
}  // namespace sonatag::test
