#include "tag/field_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace sonatag {
namespace {

TEST(CopyFieldBytesTest, CopiesExactlyCountBytesNeverSplittingACharacter) {
    const std::string x28(28, 'x'), x29(29, 'x'), song = "\xB8\xE8";  // "歌"
    std::string sixteenSongs;
    for (int i = 0; i < 16; ++i) sixteenSongs += song;
    // The source, the count and the bytes expected, NUL-padded to count.
    const std::tuple<std::string, std::size_t, std::string> cases[] = {
        {x29 + "yz", 30, x29 + "y"},
        {x29 + song, 30, x29},  // no room for the trail byte: the lead byte becomes NUL
        {x28 + song, 30, x28 + song},
        {sixteenSongs, 30, sixteenSongs.substr(0, 30)},
        {x29 + "\x80", 30, x29 + "\x80"},  // only 0x81 to 0xFE lead
        {x29 + "\x81\x61", 30, x29},
        {std::string("ab\0cd", 5), 30, "ab"},  // the text ends at its first NUL
        {"ab\x81", 30, "ab"},                  // a lead byte without its trail byte
        {song, 1, ""},
    };
    for (auto [src, count, expected] : cases) {
        char dst[34];
        std::memset(dst, '#', sizeof dst);
        CopyFieldBytes(dst, src, count);
        expected.resize(count, '\0');
        EXPECT_EQ(std::string(dst, count + 1), expected + '#') << src;  // nothing written past count
    }
}

}  // namespace
}  // namespace sonatag
