#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/cli/cli_process.h"

namespace sonatag::test {
namespace {

using SetTest = CliTest;

// The 30 bytes of a field: text padded with NUL.
std::string Field(std::string_view text) {
    std::string bytes(text);
    bytes.resize(30, '\0');
    return bytes;
}

std::string LastBlock(const std::string& path) {
    const std::string bytes = ReadBytes(path);
    return bytes.size() < 128 ? "" : bytes.substr(bytes.size() - 128);
}

std::string TitleField(const std::string& path) { return LastBlock(path).substr(3, 30); }
std::string ArtistField(const std::string& path) { return LastBlock(path).substr(33, 30); }
std::string AlbumField(const std::string& path) { return LastBlock(path).substr(63, 30); }

const std::string kYearCommentGenre = "1999" + std::string("a comment\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x07", 30) + "\x11";

TEST_F(SetTest, WritesEveryFieldGivenAsCodePage936AndAppendsWhereThereIsNoTag) {
    const std::string path = MakeFile("a.mp3");

    const CliResult result = RunCli({"set", "--title", "歌 one", "--artist", "艺术家", "--album", "专辑", path});

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    const std::string bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), audio.size() + 128);
    EXPECT_TRUE(bytes.substr(0, audio.size()) == audio) << "the audio is untouched";
    EXPECT_EQ(bytes.substr(audio.size(), 3), "TAG");
    EXPECT_EQ(TitleField(path), Field("\xB8\xE8 one"));
    EXPECT_EQ(ArtistField(path), Field("\xD2\xD5\xCA\xF5\xBC\xD2"));
    EXPECT_EQ(AlbumField(path), Field("\xD7\xA8\xBC\xAD"));
}

TEST_F(SetTest, KeepsEachFieldNotGivenAndTheBytesAfterTheAlbum) {
    const std::string original = audio + TagBlock("old title", "old artist", "old album", kYearCommentGenre);
    const std::string a = MakeFile("a.mp3", original.substr(audio.size()));
    const std::string b = MakeFile("b.mp3", original.substr(audio.size()));
    const std::string c = MakeFile("c.mp3", original.substr(audio.size()));

    EXPECT_EQ(RunCli({"set", "--title", "new", a}).exitCode, 0);
    EXPECT_EQ(RunCli({"set", "--artist", "new", b}).exitCode, 0);
    EXPECT_EQ(RunCli({"set", "--album=new", c}).exitCode, 0);

    for (const std::string& path : {a, b, c}) {
        const std::string bytes = ReadBytes(path);
        ASSERT_EQ(bytes.size(), original.size()) << path;
        EXPECT_TRUE(bytes.substr(0, audio.size()) == audio) << path;
    }
    EXPECT_EQ(LastBlock(a), TagBlock("new", "old artist", "old album", kYearCommentGenre));
    EXPECT_EQ(LastBlock(b), TagBlock("old title", "new", "old album", kYearCommentGenre));
    EXPECT_EQ(LastBlock(c), TagBlock("old title", "old artist", "new", kYearCommentGenre));
}

TEST_F(SetTest, FieldsNotGivenAreEmptyInANewTag) {
    const std::string path = MakeFile("a.mp3");

    EXPECT_EQ(RunCli({"set", "--artist", "x", path}).exitCode, 0);

    EXPECT_EQ(TitleField(path), Field(""));
    EXPECT_EQ(ArtistField(path), Field("x"));
    EXPECT_EQ(AlbumField(path), Field(""));
}

TEST_F(SetTest, TrimsTheSixWhiteSpaceCharactersAtBothEndsOnly) {
    const std::string path = MakeFile("a.mp3");

    EXPECT_EQ(RunCli({"set", "--title", " \t\n\v\f\ra  b\r\n", "--artist", "   ", "--album=\xE3\x80\x80x", path}).exitCode, 0);

    EXPECT_EQ(TitleField(path), Field("a  b"));
    EXPECT_EQ(ArtistField(path), Field(""));
    EXPECT_EQ(AlbumField(path), Field("\xA1\xA1x")) << "an ideographic space is no white space here";
}

TEST_F(SetTest, TitleFromNameTakesEachFilesOwnNameWithoutItsExtension) {
    const std::string first = MakeFile("  歌曲 一.mp3");
    const std::string second = MakeFile("two.mp3", TagBlock("old", "keep", "keep"));

    const CliResult result = RunCli({"set", "--title-from-name", "--album", "专辑", first, second});

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(TitleField(first), Field("\xB8\xE8\xC7\xFA \xD2\xBB"));
    EXPECT_EQ(AlbumField(first), Field("\xD7\xA8\xBC\xAD"));
    EXPECT_EQ(TitleField(second), Field("two"));
    EXPECT_EQ(ArtistField(second), Field("keep"));
}

TEST_F(SetTest, WarnsNamingFileAndFieldWhenACharacterBecomesAQuestionMark) {
    const std::string path = MakeFile("a.mp3");

    const CliResult result = RunCli({"set", "--title", "ok", "--artist", "a\xE2\x9C\x93z", path});

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(ArtistField(path), Field("a?z"));
    EXPECT_EQ(TitleField(path), Field("ok"));
    EXPECT_NE(result.err.find("warning: " + path + ": artist:"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("'?'"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("title"), std::string::npos) << "only the lossy field is named";
}

TEST_F(SetTest, WarnsWhenATextIsCutToFitItsField) {
    const std::string a = MakeFile("a.mp3");
    const std::string b = MakeFile("b.mp3");
    const std::string thirtyOne(31, 'x');
    const std::string twentyNine(29, 'y');

    const CliResult result = RunCli({"set", "--title", thirtyOne, "--album", twentyNine + "中", a, b});

    EXPECT_EQ(result.exitCode, 0);
    for (const std::string& path : {a, b}) {
        EXPECT_EQ(TitleField(path), std::string(30, 'x'));
        EXPECT_EQ(AlbumField(path), Field(twentyNine));
        EXPECT_NE(result.err.find(path + ": title: the text is 31 bytes"), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(path + ": album: the text is 31 bytes"), std::string::npos) << result.err;
    }
    EXPECT_NE(result.err.find("cut to 29"), std::string::npos) << result.err;
    EXPECT_EQ(RunCli({"set", "--title", std::string(30, 'z'), a}).err, "") << "30 bytes fit";
}

TEST_F(SetTest, ATooShortFileIsReportedAndUntouchedWhileTheOthersAreWritten) {
    const std::string before = MakeFile("before.mp3");
    const std::string tiny = dir.file("tiny.mp3");
    const std::string tinyBytes(127, '\xAA');
    WriteBytes(tiny, tinyBytes);
    const std::string after = MakeFile("after.mp3");

    const CliResult result = RunCli({"set", "--title", "t", before, tiny, after});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(ReadBytes(tiny) == tinyBytes);
    EXPECT_NE(result.err.find(tiny + ": "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("too short"), std::string::npos) << result.err;
    EXPECT_EQ(TitleField(before), Field("t"));
    EXPECT_EQ(TitleField(after), Field("t"));
}

TEST_F(SetTest, FileErrorsAreReportedAndTheRemainingFilesStillWritten) {
    const std::string missing = dir.file("missing.mp3");
    const std::string last = MakeFile("last.mp3");

    const CliResult result = RunCli({"set", "--title", "t", missing, dir.path().string(), last});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(missing)) << "never created";
    EXPECT_EQ(TitleField(last), Field("t"));
    for (const std::string& named : {missing, dir.path().string()}) {
        EXPECT_NE(result.err.find("sonatag-cli: " + named + ": "), std::string::npos) << result.err;
    }
}

TEST_F(SetTest, DoubleDashLetsAFileBeginWithADash) {
    const std::string path = MakeFile("-x.mp3");

    const CliResult result = RunCli({"set", "--title", "t", "--", "-x.mp3"}, dir.path().string());

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(TitleField(path), Field("t"));
}

}  // namespace
}  // namespace sonatag::test
