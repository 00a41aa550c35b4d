#include "tag/tag_file.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
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

// Year, comment and genre of a block freshly appended: spaces and "no genre".
const std::string kFreshTail = std::string(34, ' ') + "\xFF";
// Year, comment, a track number and a genre that another program stored.
const std::string kStoredTail = std::string("1999") + "a comment" + std::string(20, '\0') +
                                "\x07"
                                "\x11";

std::string Field(std::string text) {
    text.resize(30, '\0');
    return text;
}

std::string BlockBytes(const std::string& title, const std::string& artist, const std::string& album,
                       const std::string& tail = kFreshTail) {
    return "TAG" + Field(title) + Field(artist) + Field(album) + tail;
}

// Checks that the file holds head, unchanged, followed by block.
void ExpectFile(const std::string& path, const std::string& head, const std::string& block) {
    const std::string bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), head.size() + block.size());
    EXPECT_TRUE(bytes.compare(0, head.size(), head) == 0) << "the bytes before the block changed";
    EXPECT_EQ(bytes.substr(head.size()), block);
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

// The error number and message of the FileError that call throws, as one line.
template <typename Call>
std::string ErrorText(Call call) {
    const std::optional<FileError> error = CaughtFileError(call);
    return error ? std::to_string(error->error()) + " " + error->what() : "no FileError";
}

// Runs body in a forked child, which cannot hang for long, and returns the text it gave back.
std::string RunInChild(const std::function<std::string()>& body) {
    std::FILE* const out = std::tmpfile();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(20);
        const std::string text = body();
        std::fwrite(text.data(), 1, text.size(), out);
        std::fflush(out);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    std::string text(4096, '\0');
    std::rewind(out);
    text.resize(std::fread(text.data(), 1, text.size(), out));
    std::fclose(out);
    if (!WIFEXITED(status)) text += " [child ended by signal " + std::to_string(WTERMSIG(status)) + "]";
    return text;
}

class TagFileTest : public ::testing::Test {
protected:
    // A real MP3 without a block followed by appended; returns its bytes.
    std::string Mp3(const std::string& name, const std::string& appended = "") {
        const std::string bytes = MakeMp3(dir.file(name)) + appended;
        WriteBytes(dir.file(name), bytes);
        return bytes;
    }

    TempDir dir;
};

TEST_F(TagFileTest, FilesShorterThanABlockAreTooShortAndLeftUntouched) {
    const std::string path = dir.file("short.mp3");
    for (const std::string& bytes : {std::string(), BlockBytes("t", "a", "b").substr(0, 127)}) {
        WriteBytes(path, bytes);
        EXPECT_EQ(ReadTagFields(path).outcome, ReadOutcome::TooShort) << bytes.size();
        EXPECT_EQ(WriteTagFields(path, "t", "a", "b"), WriteOutcome::TooShort) << bytes.size();
        EXPECT_EQ(ReadBytes(path), bytes);
    }
}

TEST_F(TagFileTest, AppendsABlockToAFileWithoutOne) {
    const std::string path = dir.file("\xFF\xFE \xB8\xE8.mp3");  // a name that is not UTF-8
    const std::string before = Mp3("\xFF\xFE \xB8\xE8.mp3");
    EXPECT_EQ(ReadTagFields(path).outcome, ReadOutcome::NoTag);
    ASSERT_EQ(WriteTagFields(path, "title", "\xB8\xE8", "album"), WriteOutcome::Written);
    ExpectFile(path, before, BlockBytes("title", "\xB8\xE8", "album"));
    const TagReadResult result = ReadTagFields(path);
    ASSERT_EQ(result.outcome, ReadOutcome::Found);
    EXPECT_EQ(result.fields, (TagFields{"title", "\xB8\xE8", "album"}));
}

TEST_F(TagFileTest, IdentifierDecidesBetweenOverwriteAndAppend) {
    // 1000 bytes whose last 128 begin with a lower-case "tag": no block, so one is appended.
    const std::string path = dir.file("lower.mp3");
    const std::string before = std::string(872, '\x55') + BlockBytes("old", "", "").replace(0, 3, "tag");
    WriteBytes(path, before);
    EXPECT_EQ(ReadTagFields(path).outcome, ReadOutcome::NoTag);
    ASSERT_EQ(WriteTagFields(path, "new", "", ""), WriteOutcome::Written);
    ExpectFile(path, before, BlockBytes("new", "", ""));

    // A file of exactly 128 bytes that begins with "TAG" is all block and is overwritten.
    WriteBytes(path, BlockBytes("old title", "old artist", " x ", kStoredTail));
    EXPECT_EQ(ReadTagFields(path).fields, (TagFields{"old title", "old artist", " x"}));
    ASSERT_EQ(WriteTagFields(path, "t", "a", "b"), WriteOutcome::Written);
    EXPECT_EQ(ReadBytes(path), BlockBytes("t", "a", "b", kStoredTail));
}

TEST_F(TagFileTest, OverwriteKeepsLengthAudioAndBytesAfterTheAlbum) {
    const std::string path = dir.file("song.mp3");
    const std::string audio = MakeMp3(path);
    WriteBytes(path, audio + BlockBytes(std::string(30, 'T'), "artist", "album", kStoredTail));
    ASSERT_EQ(WriteTagFields(path, "short", "", "\xB8\xE8"), WriteOutcome::Written);
    ExpectFile(path, audio, BlockBytes("short", "", "\xB8\xE8", kStoredTail));

    // An update keeps the fields it is not given and clears one given as the empty text.
    ASSERT_EQ(UpdateTagFields(path, {"", "new artist", std::nullopt}), WriteOutcome::Written);
    ExpectFile(path, audio, BlockBytes("", "new artist", "\xB8\xE8", kStoredTail));
    // Without a block, the fields not given are empty.
    WriteBytes(path, audio);
    ASSERT_EQ(UpdateTagFields(path, {std::nullopt, std::nullopt, "album"}), WriteOutcome::Written);
    ExpectFile(path, audio, BlockBytes("", "", "album"));
}

TEST_F(TagFileTest, PathThatNamesNoRegularFileIsAnErrorAtOnce) {
    const std::string song = dir.file("song.mp3");
    const std::string audio = Mp3("song.mp3");
    const std::string folder = dir.file("folder.mp3");
    std::filesystem::create_directory(folder);
    const std::string fifo = dir.file("fifo.mp3");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    // A call that blocks ends the test process instead of hanging it.
    const struct HangGuard {
        HangGuard() { ::alarm(20); }
        ~HangGuard() { ::alarm(0); }
    } guard;
    const std::pair<std::string, int> cases[] = {
        {dir.file("missing.mp3"), ENOENT},
        {song + std::string("\0.txt", 5), EINVAL},  // open() would stop at the NUL
        {folder, EISDIR},
        {fifo, EINVAL},
        {"/dev/null", EINVAL},
    };
    for (const auto& [path, errorNumber] : cases) {
        for (const std::optional<FileError>& error : {CaughtFileError([&] { ReadTagFields(path); }),
                                                      CaughtFileError([&] { WriteTagFields(path, "t", "a", "b"); })}) {
            ASSERT_TRUE(error) << path;
            EXPECT_EQ(error->path(), path);
            EXPECT_EQ(error->error(), errorNumber) << path;
            // A NUL in the path is shown as \0, so the message names the whole path.
            std::string shown = path;
            if (const std::size_t nul = shown.find('\0'); nul != std::string::npos) shown.replace(nul, 1, "\\0");
            EXPECT_EQ(std::string(error->what()).rfind(shown + ": ", 0), 0u) << error->what();
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.mp3")));
    EXPECT_TRUE(ReadBytes(song) == audio);
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
        // Mode bits do not bind root, so the child gives root up first (to "nobody").
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            return std::string("skip");
        if (::access(dir.path().c_str(), X_OK) != 0) return std::string("skip");
        const TagReadResult read = ReadTagFields(path);
        return ErrorText([&] { WriteTagFields(path, "t", "a", "b"); }) + "\n" +
               (read.outcome == ReadOutcome::Found ? "Found " + read.fields.title : "not Found") + "\n" +
               (WriteTagFields(shortPath, "t", "a", "b") == WriteOutcome::TooShort ? "TooShort" : "Written");
    });
    if (result == "skip") GTEST_SKIP() << "cannot give up root, or the temporary folder is out of reach";
    EXPECT_EQ(result.rfind(std::to_string(EACCES) + " " + path + ": ", 0), 0u) << result;
    EXPECT_NE(result.find("\nFound title\nTooShort"), std::string::npos) << result;
    EXPECT_TRUE(ReadBytes(path) == before);
    EXPECT_EQ(ReadBytes(shortPath), "short");
}

TEST_F(TagFileTest, FileLockedByAnotherProcessIsInUse) {
    const std::string before = Mp3("locked.mp3", BlockBytes("title", "", ""));
    const std::string path = dir.file("locked.mp3");
    const int holder = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    const std::string result = RunInChild([&] {
        ::close(holder);  // the lock stays with the test's process alone
        return ErrorText([&] { ReadTagFields(path); }) + "\n" + ErrorText([&] { WriteTagFields(path, "t", "a", "b"); });
    });
    ::close(holder);
    const std::string inUse = std::to_string(EWOULDBLOCK) + " " + path + ": the file is in use";
    EXPECT_EQ(result.rfind(inUse, 0), 0u) << result;
    EXPECT_NE(result.find("\n" + inUse), std::string::npos) << result;
    EXPECT_TRUE(ReadBytes(path) == before);
    EXPECT_EQ(WriteTagFields(path, "t", "a", "b"), WriteOutcome::Written);
}

TEST_F(TagFileTest, ClosesEveryFileItOpens) {
    const auto openDescriptors = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
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
}

TEST_F(TagFileTest, FileLargerThanFourGibibytes) {
    const std::string path = dir.file("large.mp3");
    WriteBytes(path, "ID3 head");
    const off_t length = (off_t{1} << 32) + 1000;
    if (::truncate(path.c_str(), length) != 0) GTEST_SKIP() << "no sparse file of 4 GiB here: " << std::strerror(errno);
    const auto size = static_cast<std::uintmax_t>(length) + 128;

    ASSERT_EQ(WriteTagFields(path, "first", "a", "b"), WriteOutcome::Written);
    EXPECT_EQ(std::filesystem::file_size(path), size);
    ASSERT_EQ(WriteTagFields(path, "second", "a", "b"), WriteOutcome::Written);
    EXPECT_EQ(std::filesystem::file_size(path), size);
    std::ifstream in(path, std::ios::binary);
    std::string block(128, '\0');
    in.seekg(length).read(block.data(), 128);
    EXPECT_EQ(block, BlockBytes("second", "a", "b"));
    const TagReadResult result = ReadTagFields(path);
    ASSERT_EQ(result.outcome, ReadOutcome::Found);
    EXPECT_EQ(result.fields.title, "second");
}

TEST_F(TagFileTest, FailedWriteLeavesTheFileAsItWas) {
    const std::string path = dir.file("song.mp3");
    const std::string audio = MakeMp3(path);
    struct Case {
        std::string before;
        off_t room;  // bytes the size limit leaves beyond the file's end
    };
    // Half an append fits, then none of it; the first half of an overwrite is written.
    for (const Case& c : {Case{audio, 64}, Case{audio, 0},
                          Case{audio + BlockBytes("old title", "old artist", "old album", kStoredTail), -64}}) {
        WriteBytes(path, c.before);
        const std::string result = RunInChild([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlim_t limit = static_cast<rlim_t>(static_cast<off_t>(c.before.size()) + c.room);
            const rlimit fileSize{limit, limit};
            if (::setrlimit(RLIMIT_FSIZE, &fileSize) != 0) return std::string("setrlimit failed");
            return ErrorText([&] { WriteTagFields(path, "new title", "new artist", "new album"); });
        });
        EXPECT_EQ(result.rfind(std::to_string(EFBIG) + " " + path + ": ", 0), 0u) << result;
        EXPECT_TRUE(ReadBytes(path) == c.before) << c.room;
    }
}

}  // namespace
}  // namespace sonatag
