#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/cli/cli_process.h"

namespace sonatag::test {
namespace {

using SetTest = CliTest;

// Year, comment, a track number and a genre that another program stored.
const std::string kStoredTail = "1999" + std::string("a comment") + std::string(20, '\0') + "\x07\x11";

TEST_F(SetTest, WritesEachTextInCodePage936AndWarnsWhereACharacterBecomesAQuestionMark) {
    const std::string path = MakeFile("a.mp3");

    const CliResult result = RunCli({"set", "--title", "歌 one", "--artist", "艺术家", "--album", "a\u2713z", path});

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(ReadBytes(path).size(), audio.size() + 128);
    EXPECT_EQ(LastBlock(path), TagBlock("\xB8\xE8 one", "\xD2\xD5\xCA\xF5\xBC\xD2", "a?z"));
    EXPECT_NE(result.err.find("warning: " + path + ": album:"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("'?'"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("title"), std::string::npos) << "only the lossy field is named";
    EXPECT_EQ(result.err.find("artist"), std::string::npos) << "only the lossy field is named";
}

TEST_F(SetTest, KeepsEachFieldNotGiven) {
    const std::string path = MakeFile("a.mp3", TagBlock("old title", "old artist", "old album", kStoredTail));

    EXPECT_EQ(RunCli({"set", "--artist", "new", path}).exitCode, 0);

    EXPECT_EQ(LastBlock(path), TagBlock("old title", "new", "old album", kStoredTail));
}

TEST_F(SetTest, TrimsTheSixWhiteSpaceCharactersAtBothEndsOnly) {
    const std::string path = MakeFile("a.mp3");

    EXPECT_EQ(RunCli({"set", "--title", " \t\n\v\f\ra  b\r\n", "--artist", "   ", "--album=\u3000x", path}).exitCode,
              0);

    // An ideographic space is no white space here.
    EXPECT_EQ(LastBlock(path), TagBlock("a  b", "", "\xA1\xA1x"));
}

TEST_F(SetTest, TitleFromNameTakesEachFilesOwnNameWithoutItsExtension) {
    const std::string first = MakeFile("  歌曲 一.mp3");
    const std::string second = MakeFile("two.mp3", TagBlock("old", "keep", "old"));

    const CliResult result = RunCli({"set", "--title-from-name", "--album", "专辑", first, second});

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(LastBlock(first), TagBlock("\xB8\xE8\xC7\xFA \xD2\xBB", "", "\xD7\xA8\xBC\xAD"));
    EXPECT_EQ(LastBlock(second), TagBlock("two", "keep", "\xD7\xA8\xBC\xAD"));
}

TEST_F(SetTest, WarnsWhenATextIsCutToFitItsField) {
    const std::string path = MakeFile("a.mp3");
    const std::string x31(31, 'x'), y29(29, 'y');

    const CliResult result = RunCli({"set", "--title", x31, "--album", y29 + "中", path});

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(LastBlock(path), TagBlock(x31.substr(1), "", y29));
    EXPECT_NE(result.err.find(path + ": title: the text is 31 bytes"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(path + ": album: the text is 31 bytes"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("cut to 29"), std::string::npos) << result.err;
    EXPECT_EQ(RunCli({"set", "--title", std::string(30, 'z'), path}).err, "") << "30 bytes fit";
}

TEST_F(SetTest, ReportsEachFileThatFailsAndWritesTheOthers) {
    const std::string missing = dir.file("missing.mp3");
    const std::string tiny = dir.file("tiny.mp3");
    WriteBytes(tiny, std::string(127, '\xAA'));
    const std::string last = MakeFile("last.mp3");

    // File errors and a file too short to hold a tag each make the exit status 1 alone.
    const CliResult failed = RunCli({"set", "--title", "t", missing, dir.path().string(), last});
    const CliResult tooShort = RunCli({"set", "--title", "u", tiny, last});

    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(tooShort.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(missing)) << "never created";
    EXPECT_EQ(ReadBytes(tiny), std::string(127, '\xAA'));
    EXPECT_EQ(LastBlock(last), TagBlock("u", "", ""));
    for (const std::string& named : {missing, dir.path().string()}) {
        EXPECT_NE(failed.err.find("sonatag-cli: " + named + ": "), std::string::npos) << failed.err;
    }
    EXPECT_NE(tooShort.err.find("sonatag-cli: " + tiny + ": "), std::string::npos) << tooShort.err;
    EXPECT_NE(tooShort.err.find("too short"), std::string::npos) << tooShort.err;
}

}  // namespace
}  // namespace sonatag::test
