
#include "tests/support/cli_process.h"

namespace sonatag::test {
namespace {

using SetTest = CliTest;

TEST_F(SetTest, WritesTrimmedCodePage936TextsKeepingEachFieldNotGivenAndWarnsOfLosses) {
    const std::string path = MakeFile("a.mp3", TagBlock("old title", "old artist", "old album", kStoredTail));
    const std::string fresh = MakeFile("  歌曲 一.mp3"), y29(29, 'y');

    // Only the six ASCII white-space characters are trimmed: an ideographic space stays.
    const CliResult kept = RunCli({"set", "--title", " \t\n\v\f\r歌  b\r\n", "--album=\u3000x", path});
    const CliResult lossy = RunCli({"set", "--title-from-name", "--album", y29 + "中\u2713", fresh});

    EXPECT_EQ(kept.exitCode, 0);
    EXPECT_EQ(kept.out + kept.err, "");
    EXPECT_EQ(ReadBytes(path), audio + TagBlock("\xB8\xE8  b", "old artist", "\xA1\xA1x", kStoredTail));
    EXPECT_EQ(lossy.exitCode, 0);
    EXPECT_EQ(LastBlock(fresh), TagBlock("\xB8\xE8\xC7\xFA \xD2\xBB", "", y29));
    EXPECT_EQ(lossy.err, "sonatag-cli: warning: " + fresh +
                             ": album: a character that code page 936 cannot hold was written as '?'\n" +
                             "sonatag-cli: warning: " + fresh + ": album: the text is 32 bytes in code page 936, " +
                             "more than the field's 30; it was cut to 29\n");
}

TEST_F(SetTest, ReportsEachFileThatFailsAndWritesTheOthers) {
    const std::string missing = dir.file("missing.mp3"), tiny = dir.file("tiny.mp3"), last = MakeFile("last.mp3");
    WriteBytes(tiny, std::string(127, '\xAA'));

    // File errors and a file too short to hold a tag each make the exit status 1 alone.
    const CliResult failed = RunCli({"set", "--title", "t", missing, dir.path().string(), last});
    const CliResult tooShort = RunCli({"set", "--title", "u", tiny, last});

    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(tooShort.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(missing)) << "never created";
    EXPECT_EQ(ReadBytes(tiny), std::string(127, '\xAA'));
    EXPECT_EQ(LastBlock(last), TagBlock("u", "", ""));
    EXPECT_EQ(failed.err.find("sonatag-cli: " + missing + ": "), 0u) << failed.err;
    EXPECT_NE(failed.err.find("\nsonatag-cli: " + dir.path().string() + ": "), std::string::npos) << failed.err;
    EXPECT_EQ(tooShort.err.find("sonatag-cli: " + tiny + ": shorter than 128 bytes"), 0u) << tooShort.err;
}

}  // namespace
}  // namespace sonatag::test
