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
#include <functional>
#include <optional>
#include <string>

#include "tests/support/test_files.h"

namespace sonatag::test {
namespace {

using TagFileTest = Mp3Test;

// The error number and message of the FileError that call throws, as one line.
std::string ErrorText(const std::function<void()>& call) {
    try {
        call();
    } catch (const FileError& error) {
        return std::to_string(error.error()) + " " + error.what();
    }
    return "no FileError";
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

TEST_F(TagFileTest, ReadsTheFieldsOfTheLastBlock) {
    const std::string q28(28, 'q'), q30(30, 'q');
    struct Case {
        std::string bytes;
        ReadOutcome outcome;
        TagFields fields;
    };
    const Case cases[] = {
        {"", ReadOutcome::TooShort, {}},
        {TagBlock("t", "a", "b").substr(0, 127), ReadOutcome::TooShort, {}},
        {audio, ReadOutcome::NoTag, {}},
        {audio + "tag" + TagBlock("t", "a", "b").substr(3), ReadOutcome::NoTag, {}},  // the identifier's case counts
        {audio + "TAg" + TagBlock("t", "a", "b").substr(3), ReadOutcome::NoTag, {}},
        {TagBlock("title", q30, "album", kStoredTail), ReadOutcome::Found, {"title", q30, "album"}},
        {audio + TagBlock(" abc  ", std::string("ab\0cd", 5), "x"), ReadOutcome::Found, {" abc", "ab", "x"}},
        {audio + TagBlock(std::string(30, ' '), "x" + std::string(13, ' ') + '\0' + std::string(15, ' '), ""),
         ReadOutcome::Found,
         {"", "x", ""}},
        // The last byte is a lead byte whose trail would be outside the field.
        {audio + TagBlock(q28 + "x\xB8", "", "\xB8\xE8"), ReadOutcome::Found, {q28 + "x", "", "\xB8\xE8"}},
    };
    for (const Case& c : cases) {
        WriteBytes(dir.file("song.mp3"), c.bytes);
        const TagReadResult result = ReadTagFields(dir.file("song.mp3"));
        EXPECT_EQ(result.outcome, c.outcome) << c.bytes.size();
        EXPECT_EQ(result.fields, c.fields) << c.bytes.size();
    }
}

TEST_F(TagFileTest, WritesTheGivenFieldsKeepingEveryOtherByte) {
    const std::string lowerCase = audio + "tag" + TagBlock("old", "", "").substr(3);
    struct Case {
        std::string before;
        TagUpdate update;
        WriteOutcome outcome;
        std::string after;
    };
    const Case cases[] = {
        {audio, {"title", "\xB8\xE8", "album"}, WriteOutcome::Written, audio + TagBlock("title", "\xB8\xE8", "album")},
        {lowerCase, {"new", "", ""}, WriteOutcome::Written, lowerCase + TagBlock("new", "", "")},
        {audio + TagBlock(std::string(30, 'T'), "artist", "album", kStoredTail),
         {"short", "", "\xB8\xE8"},
         WriteOutcome::Written,
         audio + TagBlock("short", "", "\xB8\xE8", kStoredTail)},
        // A file of exactly 128 bytes that begins with "TAG" is all block.
        {TagBlock("old", "old", "old", kStoredTail),
         {"t", "a", "b"},
         WriteOutcome::Written,
         TagBlock("t", "a", "b", kStoredTail)},
        // A field not given keeps its value; without a block it is empty.
        {audio + TagBlock("title", "artist", "album", kStoredTail),
         {"", "new artist", std::nullopt},
         WriteOutcome::Written,
         audio + TagBlock("", "new artist", "album", kStoredTail)},
        {audio, {std::nullopt, std::nullopt, "album"}, WriteOutcome::Written, audio + TagBlock("", "", "album")},
        {"", {"t", "a", "b"}, WriteOutcome::TooShort, ""},
        {std::string(127, 'x'), {"t", "a", "b"}, WriteOutcome::TooShort, std::string(127, 'x')},
    };
    const std::string path = dir.file("\xFF\xFE \xB8\xE8.mp3");  // a name that is not UTF-8
    for (const Case& c : cases) {
        WriteBytes(path, c.before);
        EXPECT_EQ(UpdateTagFields(path, c.update), c.outcome);
        EXPECT_TRUE(ReadBytes(path) == c.after) << LastBlock(path);
    }
    EXPECT_EQ(WriteTagFields(path, "t", "a", "b"), WriteOutcome::TooShort);
}

TEST_F(TagFileTest, PathThatNamesNoRegularFileIsAnErrorAtOnce) {
    const std::string song = MakeFile("song.mp3"), folder = dir.file("folder.mp3"), fifo = dir.file("fifo.mp3");
    std::filesystem::create_directory(folder);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const struct HangGuard {  // a call that blocks ends the test process instead of hanging it
        HangGuard() { ::alarm(20); }
        ~HangGuard() { ::alarm(0); }
    } guard;
    const std::tuple<std::string, int, std::string> cases[] = {
        {dir.file("missing.mp3"), ENOENT, dir.file("missing.mp3")},
        {song + std::string("\0.txt", 5), EINVAL, song + "\\0.txt"},  // open() would stop at the NUL
        {folder, EISDIR, folder},
        {fifo, EINVAL, fifo},
        {"/dev/null", EINVAL, "/dev/null"},
    };
    for (const auto& [path, errorNumber, shown] : cases) {
        const std::string expected = std::to_string(errorNumber) + " " + shown + ": ";
        EXPECT_EQ(ErrorText([&] { ReadTagFields(path); }).rfind(expected, 0), 0u) << expected;
        EXPECT_EQ(ErrorText([&] { WriteTagFields(path, "t", "a", "b"); }).rfind(expected, 0), 0u) << expected;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.mp3")));
    EXPECT_TRUE(ReadBytes(song) == audio);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST_F(TagFileTest, FileInUseOrReadOnlyIsAnErrorAndStaysAsItWas) {
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
    const std::string block = TagBlock("title", "", ""), shortPath = dir.file("short.mp3");
    const std::string locked = MakeFile("locked.mp3", block), readOnly = MakeFile("read-only.mp3", block);
    WriteBytes(shortPath, "short");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444) | ::chmod(shortPath.c_str(), 0444), 0);
    const int holder = ::open(locked.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);

    const std::string result = RunInChild([&] {
        ::close(holder);  // the lock stays with the test's process alone
        std::string text = ErrorText([&] { ReadTagFields(locked); }) + "\n" +
                           ErrorText([&] { WriteTagFields(locked, "t", "a", "b"); }) + "\n";
        // Mode bits do not bind root, so the child gives root up first (to "nobody").
        if ((::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) ||
            ::access(dir.path().c_str(), X_OK) != 0)
            return text + "skip";
        return text + ErrorText([&] { WriteTagFields(readOnly, "t", "a", "b"); }) + "\n" +
               ReadTagFields(readOnly).fields.title + "\n" +
               (WriteTagFields(shortPath, "t", "a", "b") == WriteOutcome::TooShort ? "TooShort" : "Written");
    });
    ::close(holder);
    const std::string inUse = std::to_string(EWOULDBLOCK) + " " + locked + ": the file is in use";
    EXPECT_EQ(result.rfind(inUse + " by another program\n" + inUse, 0), 0u) << result;
    EXPECT_TRUE(ReadBytes(locked) == audio + block && ReadBytes(readOnly) == audio + block);
    if (result.ends_with("skip")) GTEST_SKIP() << "cannot give up root, or the temporary folder is out of reach";
    EXPECT_NE(result.find(std::to_string(EACCES) + " " + readOnly + ": "), std::string::npos) << result;
    EXPECT_TRUE(result.ends_with("\ntitle\nTooShort")) << result;
}

TEST_F(TagFileTest, FileLargerThanFourGibibytes) {
    const std::string path = dir.file("large.mp3");
    WriteBytes(path, "ID3 head");
    const off_t length = (off_t{1} << 32) + 1000;
    if (::truncate(path.c_str(), length) != 0) GTEST_SKIP() << "no sparse file of 4 GiB here: " << std::strerror(errno);
    for (const char* title : {"first", "second"}) {
        ASSERT_EQ(WriteTagFields(path, title, "a", "b"), WriteOutcome::Written);
        EXPECT_EQ(std::filesystem::file_size(path), static_cast<std::uintmax_t>(length) + 128);
        EXPECT_EQ(ReadTagFields(path).fields.title, title);
    }
}

TEST_F(TagFileTest, FailedWriteLeavesTheFileAsItWas) {
    const std::string path = dir.file("song.mp3");
    // Half an append fits, then none of it; the first half of an overwrite is written.
    for (const auto& [before, room] : {std::pair<std::string, off_t>{audio, 64},
                                       {audio, 0},
                                       {audio + TagBlock("old title", "old artist", "old album", kStoredTail), -64}}) {
        WriteBytes(path, before);
        const std::string result = RunInChild([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const auto limit = static_cast<rlim_t>(static_cast<off_t>(before.size()) + room);
            const rlimit fileSize{limit, limit};
            if (::setrlimit(RLIMIT_FSIZE, &fileSize) != 0) return std::string("setrlimit failed");
            return ErrorText([&] { WriteTagFields(path, "new title", "new artist", "new album"); });
        });
        EXPECT_EQ(result.rfind(std::to_string(EFBIG) + " " + path + ": ", 0), 0u) << result;
        EXPECT_TRUE(ReadBytes(path) == before) << room;
    }
}

}  // namespace
}  // namespace sonatag::test
