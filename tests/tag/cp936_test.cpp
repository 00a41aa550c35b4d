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

TEST(Cp936Test, ConvertsBothWays) {
    const std::pair<std::string, std::string> cases[] = {
        {"音乐 - 歌", "\xD2\xF4\xC0\xD6 - \xB8\xE8"},
        {"€5", "\x80\x35"},
        {std::string("plain \t text\0 NUL", 17), std::string("plain \t text\0 NUL", 17)},
        {std::string("\0歌", 4), std::string("\0\xB8\xE8", 3)},
        // The largest growth each way: one byte to three, and a character to its same length.
        {Repeat("€", 1000), std::string(1000, '\x80')},
        {Repeat("歌é", 1000), Repeat("\xB8\xE8\xA8\xA6", 1000)},
    };
    for (const auto& [utf8, cp936] : cases) {
        const Cp936Text encoded = Utf8ToCp936(utf8);
        EXPECT_EQ(encoded.bytes, cp936);
        EXPECT_FALSE(encoded.lossy) << utf8;
        EXPECT_EQ(Cp936ToUtf8(cp936), utf8);
    }
}

TEST(Cp936Test, WhatCannotBeHeldBecomesQuestionMarks) {
    const std::pair<std::string, std::string> cases[] = {
        {"a😀b", "a?b"},
        {"歌ก", "\xB8\xE8?"},
        {"a\xFF\x62", "a?b"},
        {Repeat("😀", 1000), std::string(1000, '?')},
    };
    for (const auto& [utf8, cp936] : cases) {
        const Cp936Text encoded = Utf8ToCp936(utf8);
        EXPECT_EQ(encoded.bytes, cp936);
        EXPECT_TRUE(encoded.lossy) << utf8;
    }
    // A sequence cut short in the middle and at the end, and an encoded surrogate.
    EXPECT_EQ(Utf8ToCp936("\xE6\xAD\x61歌\xE6\xAD").bytes.substr(1, 4), "?a\xB8\xE8");
    EXPECT_TRUE(Utf8ToCp936("\xED\xA0\x80").lossy);
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
