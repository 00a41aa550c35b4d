#include "tag/locked_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "tag/tag_file.h"
#include "tests/support/test_files.h"

namespace sonatag {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// "read" or "in use", then "; " and "write" or "in use".
std::string WhatOthersMayDo(const std::string& path) {
    std::string result;
    try {
        ReadTagFields(path);
        result = "read";
    } catch (const FileError& error) {
        result = error.error() == EWOULDBLOCK ? "in use" : error.what();
    }
    try {
        WriteTagFields(path, "t", "a", "b");
        return result + "; write";
    } catch (const FileError& error) {
        return result + "; " + (error.error() == EWOULDBLOCK ? "in use" : error.what());
    }
}

// A child process that opens path and locks it as another program would, until released.
// (A lock of fcntl would not survive in this process: any close() of the file drops it.)
std::shared_ptr<void> HeldBy(const std::string& path, const std::function<int(int)>& lock) {
    int locked[2], release[2];
    if (::pipe(locked) != 0 || ::pipe(release) != 0) return nullptr;
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(20);
        const int fd = ::open(path.c_str(), O_RDWR);
        const char ok = lock(fd) == 0 ? 'y' : 'n';
        ::write(locked[1], &ok, 1);
        ::close(release[1]);
        ::read(release[0], const_cast<char*>(&ok), 1);  // returns when the parent closes its end
        ::_exit(0);
    }
    ::close(release[0]);
    char ok = 'n';
    ::read(locked[0], &ok, 1);
    ::close(locked[0]);
    ::close(locked[1]);
    EXPECT_EQ(ok, 'y');
    return {nullptr, [child, releaseEnd = release[1]](void*) {
                ::close(releaseEnd);
                ::waitpid(child, nullptr, 0);
            }};
}

std::shared_ptr<void> HeldHere(const std::string& path, Access access) {
    return std::make_shared<LockedFile>(OpenLocked(path, access));
}

int RecordLock(int fd, int command, short type) {
    struct flock whole {};
    whole.l_type = type;
    whole.l_whence = SEEK_SET;
    return ::fcntl(fd, command, &whole);
}

TEST(LockedFileTest, ReadersShareAFileAndWritersHaveItAlone) {
    const TempDir dir;
    const std::string path = dir.file("song.mp3");
    const std::string before = std::string(200, 'x');
    WriteBytes(path, before);
    struct Case {
        const char* holder;
        std::function<std::shared_ptr<void>()> hold;
        const char* others;
    };
    const Case cases[] = {
        {"flock shared", [&] { return HeldBy(path, [](int fd) { return ::flock(fd, LOCK_SH | LOCK_NB); }); },
         "read; in use"},
        {"flock exclusive", [&] { return HeldBy(path, [](int fd) { return ::flock(fd, LOCK_EX | LOCK_NB); }); },
         "in use; in use"},
        {"fcntl read lock", [&] { return HeldBy(path, [](int fd) { return RecordLock(fd, F_SETLK, F_RDLCK); }); },
         "read; in use"},
        {"fcntl write lock", [&] { return HeldBy(path, [](int fd) { return RecordLock(fd, F_SETLK, F_WRLCK); }); },
         "in use; in use"},
        {"lockf", [&] { return HeldBy(path, [](int fd) { return ::lockf(fd, F_TLOCK, 0); }); }, "in use; in use"},
        {"a read here", [&] { return HeldHere(path, Access::Read); }, "read; in use"},
        {"a write here", [&] { return HeldHere(path, Access::Write); }, "in use; in use"},
    };
    for (const Case& c : cases) {
        {
            const std::shared_ptr<void> held = c.hold();
            EXPECT_EQ(WhatOthersMayDo(path), c.others) << c.holder;
            EXPECT_EQ(ReadBytes(path), before) << c.holder;
        }
        EXPECT_EQ(WhatOthersMayDo(path), "read; write") << "after " << c.holder;
        WriteBytes(path, before);
    }
}

TEST(LockedFileTest, WhatIsNoRegularFileIsNeverOpened) {
    const TempDir dir;
    const std::string fifo = dir.file("fifo.mp3");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string device = dir.file("device.mp3");  // a null device, where one may be made
    const bool hasDevice = ::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;
    const std::string song = dir.file("song.mp3");
    WriteBytes(song, std::string(300, 'x'));

    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, dir.path().c_str(), IN_OPEN), 0);
    const auto opened = [&] {
        alignas(inotify_event) char events[4096];
        return ::read(watch, events, sizeof events) > 0;
    };
    const std::pair<std::string, bool> cases[] = {
        {fifo, false}, {dir.path().string(), false}, {device, false}, {song, true}};
    for (const auto& [path, isRegular] : cases) {
        if (path == device && !hasDevice) continue;
        for (const Access access : {Access::Read, Access::Write}) {
            try {
                OpenLocked(path, access);
                EXPECT_TRUE(isRegular) << path;
            } catch (const FileError& error) {
                EXPECT_FALSE(isRegular) << error.what();
                EXPECT_NE(std::string(error.what()).find(": not a regular file"), std::string::npos) << error.what();
            }
            EXPECT_EQ(opened(), isRegular) << path;
        }
    }
    ::close(watch);
}

}  // namespace
}  // namespace sonatag
