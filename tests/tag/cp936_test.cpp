#include "tag/cp936.h"

#include <gtest/gtest.h>

#include <string>

namespace sonatag {
namespace {

const std::string kReplacement = "\uFFFD";

std::string Repeat(std::string_view text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) result += text;
    return result;
}

TEST(Cp936Test, ConvertsBothWaysAndMarksWhatCannotBeHeld) {
    // UTF-8, code page 936, whether the conversion to code page 936 lost something; lossless
    // cases must also convert back.
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"音乐 - 歌", "\xD2\xF4\xC0\xD6 - \xB8\xE8", false},
        {"€5", "\x80\x35", false},
        {std::string("\0歌", 4), std::string("\0\xB8\xE8", 3), false},
        // The largest growth each way: one byte to three, and a character to its same length.
        {Repeat("€", 1000), std::string(1000, '\x80'), false},
        {Repeat("歌é", 1000), Repeat("\xB8\xE8\xA8\xA6", 1000), false},
        {"a😀b", "a?b", true},
        {"歌ก", "\xB8\xE8?", true},
        {"a\xFF\x62", "a?b", true},
        {"\xE6\x61歌", "?a\xB8\xE8", true},  // a sequence cut short
        {"\xED\xA0\x80", "?", true},         // an encoded surrogate
        {Repeat("😀", 1000), std::string(1000, '?'), true},
    };
    for (const auto& [utf8, cp936, lossy] : cases) {
        const Cp936Text encoded = Utf8ToCp936(utf8);
        EXPECT_EQ(encoded.bytes, cp936) << utf8;
        EXPECT_EQ(encoded.lossy, lossy) << utf8;
        if (!lossy) EXPECT_EQ(Cp936ToUtf8(cp936), utf8);
    }
}

TEST(Cp936Test, InvalidBytesDecodeToOneReplacementEach) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\xFF\xFF\x62", "a" + Repeat(kReplacement, 2) + "b"},
        {"\xB8\xE8\xB8", "歌" + kReplacement},  // a lead byte at the end
        {"\xB8\xE8\xB8 x", "歌" + kReplacement + " x"},
        {std::string(1000, '\xFF'), Repeat(kReplacement, 1000)},
    };
    for (const auto& [cp936, utf8] : cases) EXPECT_EQ(Cp936ToUtf8(cp936), utf8);
}

}  // namespace
}  // namespace sonatag
