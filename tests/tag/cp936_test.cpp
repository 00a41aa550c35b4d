#include "tag/cp936.h"

#include <gtest/gtest.h>

#include <string>

namespace sonatag {
namespace {

constexpr std::string_view kReplacement = "\uFFFD";

std::string Repeat(std::string_view text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) result += text;
    return result;
}

TEST(Cp936Test, ConvertsBothWays) {
    const Cp936Text encoded = Utf8ToCp936("音乐 - 歌");
    EXPECT_EQ(encoded.bytes, "\xD2\xF4\xC0\xD6 - \xB8\xE8");
    EXPECT_FALSE(encoded.lossy);
    EXPECT_EQ(Cp936ToUtf8(encoded.bytes), "音乐 - 歌");
    EXPECT_EQ(Utf8ToCp936("€5").bytes,
              "\x80"
              "5");
    EXPECT_EQ(Cp936ToUtf8("\x80"
                          "5"),
              "€5");
    // NUL passes both in plain ASCII and among characters that need converting.
    const std::string ascii("plain \t text\0 with NUL", 22);
    EXPECT_EQ(Utf8ToCp936(ascii).bytes, ascii);
    EXPECT_EQ(Cp936ToUtf8(ascii), ascii);
    EXPECT_EQ(Utf8ToCp936(std::string("\0歌", 4)).bytes, std::string("\0\xB8\xE8", 3));
}

TEST(Cp936Test, WhatCannotBeHeldBecomesQuestionMarks) {
    for (const auto& [utf8, cp936] : {std::pair<std::string_view, std::string_view>{"a😀b", "a?b"},
                                      {"歌ก", "\xB8\xE8?"},
                                      {"a\xFF"
                                       "b",
                                       "a?b"}}) {
        const Cp936Text encoded = Utf8ToCp936(utf8);
        EXPECT_EQ(encoded.bytes, cp936);
        EXPECT_TRUE(encoded.lossy) << utf8;
    }
    // A sequence cut short in the middle and at the end; what follows still converts.
    const Cp936Text cut = Utf8ToCp936(
        "\xE6\xAD"
        "a歌\xE6\xAD");
    EXPECT_TRUE(cut.lossy);
    EXPECT_EQ(cut.bytes.find("a\xB8\xE8"), 2u) << cut.bytes;
    EXPECT_EQ(cut.bytes.find_first_not_of('?', 5), std::string::npos) << cut.bytes;
    EXPECT_TRUE(Utf8ToCp936("\xED\xA0\x80").lossy);  // an encoded surrogate
}

TEST(Cp936Test, InvalidBytesDecodeToOneReplacementEach) {
    EXPECT_EQ(Cp936ToUtf8("a\xFF\xFF"
                          "b"),
              "a" + Repeat(kReplacement, 2) + "b");
    // A lead byte at the end, and a lead byte followed by a byte that cannot trail it.
    EXPECT_EQ(Cp936ToUtf8("\xB8\xE8\xB8"), "歌" + std::string(kReplacement));
    EXPECT_EQ(Cp936ToUtf8("\xB8\xE8\xB8 x"), "歌" + std::string(kReplacement) + " x");
}

TEST(Cp936Test, LongTextsFillTheirWholeBuffer) {
    // The largest growth each way: one byte to three, and a character to its same length.
    EXPECT_EQ(Cp936ToUtf8(std::string(1000, '\x80')), Repeat("€", 1000));
    EXPECT_EQ(Cp936ToUtf8(std::string(1000, '\xFF')), Repeat(kReplacement, 1000));
    EXPECT_EQ(Utf8ToCp936(Repeat("歌é", 1000)).bytes, Repeat("\xB8\xE8\xA8\xA6", 1000));
    EXPECT_EQ(Utf8ToCp936(Repeat("😀", 1000)).bytes, std::string(1000, '?'));
}

}  // namespace
}  // namespace sonatag
