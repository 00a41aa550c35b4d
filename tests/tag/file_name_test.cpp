#include "tag/file_name.h"

#include <gtest/gtest.h>

namespace sonatag {
namespace {

TEST(GetFileNameTest, TakesThePartAfterTheLastSlash) {
    EXPECT_EQ(GetFileName("/音乐/歌.mp3", 0), "歌.mp3");
    EXPECT_EQ(GetFileName("/音乐/歌.mp3", 1), "歌");
    EXPECT_EQ(GetFileName("歌.mp3", 0), "歌.mp3");
    EXPECT_EQ(GetFileName("/音乐/", 0), "");
    EXPECT_EQ(GetFileName("/", 1), "");
    EXPECT_EQ(GetFileName("", 0), "");
}

TEST(GetFileNameTest, BackslashIsAnOrdinaryCharacter) {
    EXPECT_EQ(GetFileName("D:\\音乐\\歌.mp3", 0), "D:\\音乐\\歌.mp3");
    EXPECT_EQ(GetFileName("/x/a\\b.mp3", 1), "a\\b");
}

TEST(GetFileNameTest, ModeOneDropsTheLastFourCharacters) {
    EXPECT_EQ(GetFileName("/x/song.mp3", 1), "song");
    EXPECT_EQ(GetFileName("/x/song.flac", 1), "song.");  // the extension is not examined
    EXPECT_EQ(GetFileName("a.b", 1), "");
    EXPECT_EQ(GetFileName("/x/abcd", 1), "");
    EXPECT_EQ(GetFileName("/x/abcde", 1), "a");
    EXPECT_EQ(GetFileName("/x/song.mp3", 2), "song.mp3");  // any other mode keeps the name whole
}

TEST(GetFileNameTest, CountsCharactersNotBytes) {
    // Four characters of three bytes each: nothing is left, not a byte of the first.
    EXPECT_EQ(GetFileName("/x/音乐歌曲", 1), "");
    // "字.歌曲" are the last four characters, ten bytes.
    EXPECT_EQ(GetFileName("/x/名字.歌曲", 1), "名");
    EXPECT_EQ(GetFileName("/x/€uro", 1), "");
    EXPECT_EQ(GetFileName("/x/a😀.mp3", 1), "a😀");
    EXPECT_EQ(GetFileName("/x/a.mp😀", 1), "a");
}

TEST(GetFileNameTest, TrimsTheSixAsciiWhiteSpaceCharactersOnly) {
    EXPECT_EQ(GetFileName("x/  song .mp3", 1), "song");
    EXPECT_EQ(GetFileName("x/ \t\n\v\f\rsong \t\n\v\f\r", 0), "song");
    EXPECT_EQ(GetFileName("x/   .mp3", 1), "");
    // Ideographic space (U+3000) and no-break space (U+00A0) stay.
    EXPECT_EQ(GetFileName("x/\u3000歌\u3000.mp3", 1), "\u3000歌\u3000");
    EXPECT_EQ(GetFileName("x/\u00A0a\u00A0", 0), "\u00A0a\u00A0");
    // White space between the folder and the slash is part of the folder.
    EXPECT_EQ(GetFileName(" /a.mp3", 0), "a.mp3");
}

TEST(GetFileNameTest, BytesThatAreNotUtf8AreKept) {
    EXPECT_EQ(GetFileName("/x/\xB8\xE8.mp3", 0), "\xB8\xE8.mp3");
    EXPECT_EQ(GetFileName("/x/ab\xFF.mp3", 1), "ab\xFF");
}

TEST(TrimWhiteSpaceTest, TrimsBothEndsAndKeepsTheInside) {
    EXPECT_EQ(TrimWhiteSpace(" \t a  b \r\n"), "a  b");
    EXPECT_EQ(TrimWhiteSpace(" \t\n\v\f\r"), "");
    EXPECT_EQ(TrimWhiteSpace(""), "");
}

}  // namespace
}  // namespace sonatag
