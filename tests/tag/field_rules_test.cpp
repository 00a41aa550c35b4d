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
    struct Case {
        std::string src;
        std::size_t count;
        std::string expected;  // NUL-padded to count
    };
    const Case cases[] = {
        {"abc", 30, "abc"},
        {x29 + "yz", 30, x29 + "y"},
        {x29 + song, 30, x29},  // no room for the trail byte: the lead byte becomes NUL
        {x28 + song, 30, x28 + song},
        {sixteenSongs, 30, sixteenSongs.substr(0, 30)},
        {x29 + "\x80", 30, x29 + "\x80"},  // only 0x81 to 0xFE lead
        {x29 + "\xFF", 30, x29 + "\xFF"},
        {x29 + "\x81\x61", 30, x29},
        {x29 + "\xFE\x61", 30, x29},
        {std::string("ab\0cd", 5), 30, "ab"},  // the text ends at its first NUL
        {"ab\x81", 30, "ab"},                  // a lead byte without its trail byte
        {"TAGXYZ", 3, "TAG"},
        {song, 1, ""},
    };
    for (const Case& c : cases) {
        char dst[34];
        std::memset(dst, '#', sizeof dst);
        CopyFieldBytes(dst, c.src, c.count);
        std::string expected = c.expected;
        expected.resize(c.count, '\0');
        EXPECT_EQ(std::string(dst, c.count + 1), expected + '#') << c.src;  // nothing written past count
    }
}

}  // namespace
}  // namespace sonatag
