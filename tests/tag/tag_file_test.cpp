#include "tag/tag_file.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "tests/support/test_files.h"

namespace sonatag {
namespace {

using test::MakeMp3;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

constexpr std::size_t kBlockSize = 128;
// Year, comment and genre of a block freshly appended: spaces and "no genre".
const std::string kFreshTail = std::string(34, ' ') + "\xFF";
// Year, comment, a track number and a genre that another program stored.
const std::string kStoredTail = std::string("1999") + "a comment" + std::string(20, '\0') + "\x07" "\x11";

std::string Field(std::string text) {
    text.resize(30, '\0');
    return text;
}

std::string BlockBytes(const std::string& title, const std::string& artist, const std::string& album,
                       const std::string& tail = kFreshTail) {
    return "TAG" + Field(title) + Field(artist) + Field(album) + tail;
}

std::string Head(const std::string& bytes, std::size_t count) { return bytes.substr(0, count); }
std::string LastBlock(const std::string& bytes) { return bytes.substr(bytes.size() - kBlockSize); }

std::string ReadAt(const std::string& path, off_t offset, std::size_t count) {
    std::string bytes(count, '\0');
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const ssize_t done = fd >= 0 ? ::pread(fd, bytes.data(), count, offset) : -1;
    if (fd >= 0) ::close(fd);
    bytes.resize(done < 0 ? 0 : static_cast<std::size_t>(done));
    return bytes;
}

// The outcome of a call as one line of text, so that a child process can hand it back.
template <typename Call>
std::string Describe(Call call) {
    try {
        const auto outcome = call();
        if constexpr (std::is_same_v<decltype(outcome), const WriteOutcome>) {
            return outcome == WriteOutcome::Written ? "Written" : "TooShort";
        } else {
            return outcome.outcome == ReadOutcome::Found ? "Found " + outcome.fields.title
                   : outcome.outcome == ReadOutcome::NoTag ? "NoTag"
                                                           : "TooShort";
        }
    } catch (const FileError& error) {
        return "FileError " + std::to_string(error.error()) + " " + error.what();
    } catch (const std::exception& error) {
        return std::string("exception ") + error.what();
    }
}

std::string FileErrorText(int error, const std::string& path) {
    return "FileError " + std::to_string(error) + " " + path + ": ";
}

template <typename Call>
std::optional<FileError> CaughtFileError(Call call) {
    try {
        call();
    } catch (const FileError& error) {
        return error;
    }
    return std::nullopt;
}

// Ends the test process if a call blocks, so that a regression fails instead of hanging.
class HangGuard {
public:
    HangGuard() { ::alarm(20); }
    ~HangGuard() { ::alarm(0); }
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;
};

// Runs body in a forked child and returns the text it gave back.
std::string RunInChild(const std::function<std::string()>& body) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return "pipe failed";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        ::alarm(20);
        const std::string text = body();
        (void)!::write(pipeFds[1], text.data(), text.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string text;
    char buffer[512];
    for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status)) text += " [child ended by signal " + std::to_string(WTERMSIG(status)) + "]";
    return text;
}

constexpr std::string_view kCannotDropRoot = "cannot drop root";

// Mode bits do not bind root; a child that checks them gives root up first (to "nobody").
bool DropRoot() {
    if (::geteuid() != 0) return true;
    return ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
}

// Another process holding an exclusive flock on a file until this object goes.
class LockHolder {
public:
    explicit LockHolder(const std::string& path) {
        int ready[2];
        int release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            ::alarm(30);
            const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
            const char locked = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 1 : 0;
            (void)!::write(ready[1], &locked, 1);
            char ignored;
            (void)!::read(release[0], &ignored, 1);  // returns when the parent closes its end
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        release_ = release[1];
        char locked = 0;
        locked_ = ::read(ready[0], &locked, 1) == 1 && locked == 1;
        ::close(ready[0]);
    }
    ~LockHolder() {
        if (release_ >= 0) ::close(release_);
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    bool locked() const { return locked_; }

private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool locked_ = false;
};

class TagFileTest : public ::testing::Test {
protected:
    // A real MP3 without a block; returns its bytes.
    std::string Mp3(const std::string& name, const std::string& appended = "") {
        const std::string path = dir.file(name);
        const std::string bytes = MakeMp3(path) + appended;
        WriteBytes(path, bytes);
        return bytes;
    }

    TempDir dir;
};

// --- reading ---

TEST_F(TagFileTest, FilesShorterThanABlockAreTooShort) {
    const std::string path = dir.file("short.mp3");
    for (const std::string& bytes : {std::string(), BlockBytes("t", "a", "b").substr(0, 127)}) {
        WriteBytes(path, bytes);
        EXPECT_EQ(ReadTagFields(path).outcome, ReadOutcome::TooShort) << bytes.size();
    }
}

TEST_F(TagFileTest, ReadsTheLastHundredAndTwentyEightBytes) {
    const std::string path = dir.file("block.mp3");
    WriteBytes(path, BlockBytes("title", "artist", "album", kStoredTail));
    TagReadResult result = ReadTagFields(path);
    ASSERT_EQ(result.outcome, ReadOutcome::Found);
    EXPECT_EQ(result.fields, (TagFields{"title", "artist", "album"}));

    WriteBytes(path, std::string(128, 'x'));
    EXPECT_EQ(ReadTagFields(path).outcome, ReadOutcome::NoTag);

    Mp3("song.mp3", BlockBytes("\xB8\xE8", "", " x "));
    result = ReadTagFields(dir.file("song.mp3"));
    ASSERT_EQ(result.outcome, ReadOutcome::Found);
    EXPECT_EQ(result.fields, (TagFields{"\xB8\xE8", "", " x"}));

    Mp3("bare.mp3");
    EXPECT_EQ(ReadTagFields(dir.file("bare.mp3")).outcome, ReadOutcome::NoTag);
}

// --- writing ---

TEST_F(TagFileTest, AppendsABlockToAFileWithoutOne) {
    const std::string before = Mp3("song.mp3");
    const std::string path = dir.file("song.mp3");
    ASSERT_EQ(WriteTagFields(path, "title", "\xB8\xE8", "album"), WriteOutcome::Written);
    const std::string after = ReadBytes(path);
    ASSERT_EQ(after.size(), before.size() + kBlockSize);
    EXPECT_TRUE(Head(after, before.size()) == before) << "the audio bytes changed";
    EXPECT_EQ(LastBlock(after), BlockBytes("title", "\xB8\xE8", "album"));
}

TEST_F(TagFileTest, IdentifierDecidesBetweenOverwriteAndAppend) {
    // 1000 bytes whose last 128 begin with a lower-case "tag": no block, so one is appended.
    const std::string path = dir.file("lower.mp3");
    const std::string before = std::string(872, '\x55') + BlockBytes("old", "", "").replace(0, 3, "tag");
    WriteBytes(path, before);
    ASSERT_EQ(WriteTagFields(path, "new", "", ""), WriteOutcome::Written);
    const std::string after = ReadBytes(path);
    ASSERT_EQ(after.size(), 1128u);
    EXPECT_EQ(Head(after, 1000), before);
    EXPECT_EQ(after.substr(1000), BlockBytes("new", "", ""));

    // A file of exactly 128 bytes that begins with "TAG" is all block and is overwritten.
    WriteBytes(path, BlockBytes("old title", "old artist", "old album", kStoredTail));
    ASSERT_EQ(WriteTagFields(path, "t", "a", "b"), WriteOutcome::Written);
    EXPECT_EQ(ReadBytes(path), BlockBytes("t", "a", "b", kStoredTail));
}

TEST_F(TagFileTest, OverwriteKeepsLengthAudioAndBytesAfterTheAlbum) {
    const std::string before = Mp3("song.mp3", BlockBytes(std::string(30, 'T'), "artist", "album", kStoredTail));
    const std::string path = dir.file("song.mp3");
    ASSERT_EQ(WriteTagFields(path, "short", "", "\xB8\xE8"), WriteOutcome::Written);
    const std::string after = ReadBytes(path);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_TRUE(Head(after, before.size() - kBlockSize) == Head(before, before.size() - kBlockSize));
    EXPECT_EQ(LastBlock(after), BlockBytes("short", "", "\xB8\xE8", kStoredTail));
}

TEST_F(TagFileTest, TooShortFileIsLeftUntouched) {
    const std::string path = dir.file("short.mp3");
    const std::string before = std::string(127, '\x33');
    WriteBytes(path, before);
    EXPECT_EQ(WriteTagFields(path, "t", "a", "b"), WriteOutcome::TooShort);
    EXPECT_EQ(UpdateTagFields(path, {"t", std::nullopt, std::nullopt}), WriteOutcome::TooShort);
    EXPECT_EQ(ReadBytes(path), before);
}

TEST_F(TagFileTest, UpdateKeepsTheFieldsThatAreNotGiven) {
    const std::string path = dir.file("song.mp3");
    const std::string audio = Mp3("song.mp3", BlockBytes("title", "artist", "album", kStoredTail));
    ASSERT_EQ(UpdateTagFields(path, {std::nullopt, "new artist", std::nullopt}), WriteOutcome::Written);
    EXPECT_EQ(LastBlock(ReadBytes(path)), BlockBytes("title", "new artist", "album", kStoredTail));
    // A field given as the empty text is cleared.
    ASSERT_EQ(UpdateTagFields(path, {"", std::nullopt, "\xB8\xE8"}), WriteOutcome::Written);
    EXPECT_EQ(LastBlock(ReadBytes(path)), BlockBytes("", "new artist", "\xB8\xE8", kStoredTail));
    EXPECT_EQ(ReadBytes(path).size(), audio.size());

    // Without a block, the fields not given are empty.
    const std::string bare = Mp3("bare.mp3");
    ASSERT_EQ(UpdateTagFields(dir.file("bare.mp3"), {std::nullopt, std::nullopt, "album"}), WriteOutcome::Written);
    const std::string after = ReadBytes(dir.file("bare.mp3"));
    ASSERT_EQ(after.size(), bare.size() + kBlockSize);
    EXPECT_EQ(LastBlock(after), BlockBytes("", "", "album"));
}

// --- file errors ---

TEST_F(TagFileTest, MissingFileIsAnErrorAndIsNotCreated) {
    const std::string path = dir.file("missing.mp3");
    for (const auto& call : {std::function<void()>([&] { ReadTagFields(path); }),
                             std::function<void()>([&] { WriteTagFields(path, "t", "a", "b"); })}) {
        const std::optional<FileError> error = CaughtFileError(call);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->path(), path);
        EXPECT_EQ(error->error(), ENOENT);
        EXPECT_EQ(std::string(error->what()).rfind(path + ": ", 0), 0u) << error->what();
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(TagFileTest, OnlyRegularFilesAreOpened) {
    const HangGuard guard;
    const std::string folder = dir.file("folder.mp3");
    std::filesystem::create_directory(folder);
    const std::string fifo = dir.file("fifo.mp3");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string socketPath = dir.file("socket.mp3");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

    for (const std::string& path : {folder, fifo, socketPath, std::string("/dev/null")}) {
        const std::optional<FileError> readError = CaughtFileError([&] { ReadTagFields(path); });
        ASSERT_TRUE(readError) << path;
        EXPECT_EQ(readError->path(), path);
        const std::optional<FileError> writeError = CaughtFileError([&] { WriteTagFields(path, "t", "a", "b"); });
        ASSERT_TRUE(writeError) << path;
        EXPECT_EQ(writeError->path(), path);
    }
    ::close(sock);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST_F(TagFileTest, ReadOnlyFileIsAnErrorUnlessTooShort) {
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
    const std::string path = dir.file("read-only.mp3");
    const std::string before = Mp3("read-only.mp3", BlockBytes("title", "", ""));
    const std::string shortPath = dir.file("short.mp3");
    WriteBytes(shortPath, "short");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(shortPath.c_str(), 0444), 0);

    const std::string result = RunInChild([&] {
        if (!DropRoot() || ::access(dir.path().c_str(), X_OK) != 0) return std::string(kCannotDropRoot);
        return Describe([&] { return WriteTagFields(path, "t", "a", "b"); }) + "\n" +
               Describe([&] { return ReadTagFields(path); }) + "\n" +
               Describe([&] { return WriteTagFields(shortPath, "t", "a", "b"); });
    });
    if (result == kCannotDropRoot) GTEST_SKIP() << "cannot give up root, or the temporary folder is out of reach";
    EXPECT_EQ(result.rfind(FileErrorText(EACCES, path), 0), 0u) << result;
    EXPECT_NE(result.find("\nFound title\nTooShort"), std::string::npos) << result;
    EXPECT_TRUE(ReadBytes(path) == before);
    EXPECT_EQ(ReadBytes(shortPath), "short");
}

TEST_F(TagFileTest, FileLockedByAnotherProcessIsInUse) {
    const std::string before = Mp3("locked.mp3", BlockBytes("title", "", ""));
    const std::string path = dir.file("locked.mp3");
    {
        const LockHolder holder(path);
        ASSERT_TRUE(holder.locked());
        const HangGuard guard;
        for (const auto& call : {std::function<void()>([&] { ReadTagFields(path); }),
                                 std::function<void()>([&] { WriteTagFields(path, "t", "a", "b"); })}) {
            const std::optional<FileError> error = CaughtFileError(call);
            ASSERT_TRUE(error);
            EXPECT_EQ(error->path(), path);
            EXPECT_EQ(error->error(), EWOULDBLOCK);
            EXPECT_NE(std::string(error->what()).find("in use"), std::string::npos) << error->what();
        }
    }
    EXPECT_TRUE(ReadBytes(path) == before);
    EXPECT_EQ(WriteTagFields(path, "t", "a", "b"), WriteOutcome::Written);
}

TEST_F(TagFileTest, ClosesAndUnlocksEveryFileItOpens) {
    const auto openDescriptors = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    };
    const std::string path = dir.file("song.mp3");
    Mp3("song.mp3");
    WriteBytes(dir.file("short.mp3"), "short");
    const auto before = openDescriptors();
    WriteTagFields(path, "t", "a", "b");  // append
    WriteTagFields(path, "t", "a", "b");  // overwrite
    ReadTagFields(path);
    ReadTagFields(dir.file("short.mp3"));
    WriteTagFields(dir.file("short.mp3"), "t", "a", "b");
    CaughtFileError([&] { ReadTagFields(dir.path().string()); });
    CaughtFileError([&] { WriteTagFields(dir.path().string(), "t", "a", "b"); });
    EXPECT_EQ(openDescriptors(), before);
    EXPECT_TRUE(LockHolder(path).locked());
}

TEST_F(TagFileTest, FileLargerThanFourGibibytes) {
    const std::string path = dir.file("large.mp3");
    const std::string head = "ID3 head";
    WriteBytes(path, head);
    const off_t length = (off_t{1} << 32) + 1000;
    if (::truncate(path.c_str(), length) != 0) GTEST_SKIP() << "no sparse file of 4 GiB here: " << std::strerror(errno);

    EXPECT_EQ(ReadTagFields(path).outcome, ReadOutcome::NoTag);
    ASSERT_EQ(WriteTagFields(path, "first", "a", "b"), WriteOutcome::Written);
    EXPECT_EQ(std::filesystem::file_size(path), static_cast<std::uintmax_t>(length) + kBlockSize);
    EXPECT_EQ(ReadAt(path, length, kBlockSize), BlockBytes("first", "a", "b"));

    ASSERT_EQ(WriteTagFields(path, "second", "a", "b"), WriteOutcome::Written);
    EXPECT_EQ(std::filesystem::file_size(path), static_cast<std::uintmax_t>(length) + kBlockSize);
    EXPECT_EQ(ReadAt(path, length, kBlockSize), BlockBytes("second", "a", "b"));
    EXPECT_EQ(ReadAt(path, 0, 2000), head + std::string(2000 - head.size(), '\0'));
    const TagReadResult result = ReadTagFields(path);
    ASSERT_EQ(result.outcome, ReadOutcome::Found);
    EXPECT_EQ(result.fields.title, "second");
}

TEST_F(TagFileTest, FileNameThatIsNotUtf8) {
    const std::string path = dir.file("\xFF\xFE \xB8\xE8.mp3");
    const std::string before = Mp3("\xFF\xFE \xB8\xE8.mp3");
    ASSERT_EQ(WriteTagFields(path, "title", "", ""), WriteOutcome::Written);
    EXPECT_EQ(ReadTagFields(path).fields.title, "title");
    EXPECT_EQ(ReadBytes(path).size(), before.size() + kBlockSize);

    const std::string missing = dir.file("\xFF missing.mp3");
    const std::optional<FileError> error = CaughtFileError([&] { ReadTagFields(missing); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->path(), missing);
}

TEST_F(TagFileTest, PathWithANulInsideNamesNoFile) {
    const std::string before = Mp3("song.mp3");
    const std::string path = dir.file("song.mp3") + std::string("\0.txt", 5);
    for (const auto& call : {std::function<void()>([&] { ReadTagFields(path); }),
                             std::function<void()>([&] { WriteTagFields(path, "t", "a", "b"); })}) {
        const std::optional<FileError> error = CaughtFileError(call);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->path(), path);
    }
    EXPECT_TRUE(ReadBytes(dir.file("song.mp3")) == before);
}

// --- failure part way through a write ---

// Writes in a child whose file-size limit is `limit`, so that writing past it fails with EFBIG.
std::string WriteWithSizeLimit(const std::string& path, off_t limit) {
    return RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit fileSize{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
        if (::setrlimit(RLIMIT_FSIZE, &fileSize) != 0) return std::string("setrlimit failed");
        return Describe([&] { return WriteTagFields(path, "new title", "new artist", "new album"); });
    });
}

TEST_F(TagFileTest, FailedAppendLeavesTheFileAsItWas) {
    const std::string path = dir.file("song.mp3");
    const std::string before = Mp3("song.mp3");
    const off_t length = static_cast<off_t>(before.size());
    // Half of the block fits under the limit, and the other half does not.
    EXPECT_EQ(WriteWithSizeLimit(path, length + 64).rfind(FileErrorText(EFBIG, path), 0), 0u);
    EXPECT_TRUE(ReadBytes(path) == before);
    // Nothing fits.
    EXPECT_EQ(WriteWithSizeLimit(path, length).rfind(FileErrorText(EFBIG, path), 0), 0u);
    EXPECT_TRUE(ReadBytes(path) == before);
}

TEST_F(TagFileTest, FailedOverwritePutsTheOldBlockBack) {
    const std::string path = dir.file("song.mp3");
    const std::string before = Mp3("song.mp3", BlockBytes("old title", "old artist", "old album", kStoredTail));
    const off_t length = static_cast<off_t>(before.size());
    // The first half of the new block is written, the second half fails.
    EXPECT_EQ(WriteWithSizeLimit(path, length - 64).rfind(FileErrorText(EFBIG, path), 0), 0u);
    EXPECT_TRUE(ReadBytes(path) == before);
}

}  // namespace
}  // namespace sonatag
