#include "tag/file_name.h"

#include <gtest/gtest.h>

namespace sonatag {
namespace {

TEST(GetFileNameTest, TakesTheNameAfterTheLastSlash) {
    const std::tuple<std::string_view, int, std::string_view> cases[] = {
        {"/音乐/歌.mp3", 0, "歌.mp3"},
        {"/音乐/歌.mp3", 1, "歌"},
        {"/音乐/", 0, ""},
        {"D:\\音乐\\歌.mp3", 0, "D:\\音乐\\歌.mp3"},  // a backslash is an ordinary character
        {"/x/song.flac", 1, "song."},                 // the extension is not examined
        {"/x/abcde", 1, "a"},
        {"/x/song.mp3", 2, "song.mp3"},  // any other mode keeps the name whole
        // Mode 1 counts characters, not bytes.
        {"/x/名字.歌曲", 1, "名"},
        {"/x/a😀.mp3", 1, "a😀"},
        {"/x/ab\xFF.mp3", 1, "ab\xFF"},  // bytes that are not UTF-8 are kept
        // Only the six ASCII white-space characters are trimmed, at both ends.
        {"x/  song .mp3", 1, "song"},
        {"x/ \t\n\v\f\rsong \t\n\v\f\r", 0, "song"},
        {"x/\u3000歌\u3000.mp3", 1, "\u3000歌\u3000"},
    };
    for (const auto& [path, mode, expected] : cases) EXPECT_EQ(GetFileName(path, mode), expected) << path << mode;
}

}  // namespace
}  // namespace sonatag
