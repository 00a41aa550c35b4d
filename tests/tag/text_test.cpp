// Code page 936, the 30-byte field and the title taken from a file name.

#include "tag/cp936.h"
#include "tag/field_rules.h"
#include "tag/file_name.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace sonatag {
namespace {

std::string Repeat(std::string_view text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) result += text;
    return result;
}

TEST(Cp936Test, ConvertsBothWaysAndMarksWhatCannotBeHeld) {
    // Lossless cases must also convert back.
    struct Case {
        std::string utf8, cp936;
        bool lossy;
    };
    const Case cases[] = {
        {"音乐 - 歌", "\xD2\xF4\xC0\xD6 - \xB8\xE8", false},
        {std::string("\0歌", 4), std::string("\0\xB8\xE8", 3), false},
        // The largest growth each way: one byte to three, and a character to its same length.
        {Repeat("€", 1000), std::string(1000, '\x80'), false},
        {Repeat("歌é", 1000), Repeat("\xB8\xE8\xA8\xA6", 1000), false},
        {"a😀b", "a?b", true},
        {"a\xFF\x62", "a?b", true},
        {"\xE6\x61歌", "?a\xB8\xE8", true},  // a sequence cut short
        {"\xED\xA0\x80", "???", true},       // an encoded surrogate: no byte begins a character
        {Repeat("😀", 1000), std::string(1000, '?'), true},
    };
    for (const auto& [utf8, cp936, lossy] : cases) {
        const Cp936Text encoded = Utf8ToCp936(utf8);
        EXPECT_EQ(encoded.bytes, cp936) << utf8;
        EXPECT_EQ(encoded.lossy, lossy) << utf8;
        EXPECT_TRUE(lossy || Cp936ToUtf8(cp936) == utf8) << utf8;
    }
}

TEST(Cp936Test, InvalidBytesDecodeToOneReplacementEach) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\xFF\xFF\x62", "a\uFFFD\uFFFDb"},
        {"\xB8\xE8\xB8", "歌\uFFFD"},  // a lead byte at the end
        {std::string(1000, '\xFF'), Repeat("\uFFFD", 1000)},
    };
    for (const auto& [cp936, utf8] : cases) EXPECT_EQ(Cp936ToUtf8(cp936), utf8);
}

TEST(CopyFieldBytesTest, CopiesExactlyCountBytesNeverSplittingACharacter) {
    const std::string x28(28, 'x'), x29(29, 'x'), song = "\xB8\xE8";  // "歌"
    const std::string sixteenSongs = Repeat(song, 16);
    struct Case {
        std::string src;
        std::size_t count;
        std::string expected;  // NUL-padded to count
    };
    const Case cases[] = {
        {x29 + "yz", 30, x29 + "y"},
        {x29 + song, 30, x29},  // no room for the trail byte: the lead byte becomes NUL
        {x28 + song, 30, x28 + song},
        {sixteenSongs, 30, sixteenSongs.substr(0, 30)},
        {x29 + "\x80", 30, x29 + "\x80"},      // only 0x81 to 0xFE lead
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

TEST(GetFileNameTest, TakesTheNameAfterTheLastSlash) {
    struct Case {
        std::string_view path;
        int mode;
        std::string_view expected;
    };
    const Case cases[] = {
        {"/音乐/歌.mp3", 0, "歌.mp3"},
        {"/音乐/歌.mp3", 1, "歌"},
        {"/x/song.flac", 1, "song."},  // the extension is not examined
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
