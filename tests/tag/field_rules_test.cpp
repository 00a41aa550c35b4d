#include "tag/field_rules.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

namespace sonatag {
namespace {

// "歌" in code page 936.
constexpr std::string_view kSong = "\xB8\xE8";

// A 30-byte field as CopyFieldBytes makes it, followed by guard bytes that must stay as they were.
struct CopiedField {
    std::array<char, 34> bytes;

    explicit CopiedField(std::string_view src, std::size_t count = 30) {
        bytes.fill('#');
        CopyFieldBytes(bytes.data(), src, count);
    }
    std::string first(std::size_t count) const { return std::string(bytes.data(), count); }
};

TEST(CopyFieldBytesTest, ShortTextIsPaddedWithNul) {
    const CopiedField field("abc");
    EXPECT_EQ(field.first(30), "abc" + std::string(27, '\0'));
    EXPECT_EQ(std::string(field.bytes.data() + 30, 4), "####");
}

TEST(CopyFieldBytesTest, LongAsciiTextIsCutToThirtyBytesWithoutNul) {
    const std::string text = "abcdefghijklmnopqrstuvwxyz01234";  // 31 characters
    const CopiedField field(text);
    EXPECT_EQ(field.first(30), text.substr(0, 30));
    EXPECT_EQ(field.bytes[30], '#');
}

TEST(CopyFieldBytesTest, DoubleByteCharacterIsNeverSplit) {
    const std::string text29(29, 'x');
    // The 30th byte would be the lead byte: it becomes NUL and the character is left out.
    EXPECT_EQ(CopiedField(text29 + std::string(kSong)).first(31), text29 + '\0' + '#');
    // One byte shorter, the whole character fits and fills the field.
    const std::string text28(28, 'x');
    EXPECT_EQ(CopiedField(text28 + std::string(kSong)).first(31), text28 + std::string(kSong) + '#');
    // Fifteen double-byte characters fill the field exactly; a sixteenth is left out whole.
    std::string chinese;
    for (int i = 0; i < 16; ++i) chinese += kSong;
    EXPECT_EQ(CopiedField(chinese).first(31), chinese.substr(0, 30) + '#');
}

TEST(CopyFieldBytesTest, OnlyBytes81ToFEBeginADoubleByteCharacter) {
    const std::string text29(29, 'x');
    for (const char last : {'\x7F', '\x80', '\xFF'}) {
        EXPECT_EQ(CopiedField(text29 + last).first(30), text29 + last) << int(static_cast<unsigned char>(last));
    }
    for (const char lead : {'\x81', '\xFE'}) {
        EXPECT_EQ(CopiedField(text29 + lead + 'a').first(30), text29 + '\0') << int(static_cast<unsigned char>(lead));
    }
}

TEST(CopyFieldBytesTest, TextEndsAtItsFirstNul) {
    const CopiedField field(std::string_view("ab\0cd", 5));
    EXPECT_EQ(field.first(30), "ab" + std::string(28, '\0'));
}

TEST(CopyFieldBytesTest, LeadByteWithoutTrailByteBecomesNul) {
    // The text ends right after a lead byte.
    EXPECT_EQ(CopiedField("ab\x81").first(30), "ab" + std::string(28, '\0'));
    // The lead byte is followed by a NUL inside the text.
    EXPECT_EQ(CopiedField(std::string_view("ab\x81\0cd", 6)).first(30), "ab" + std::string(28, '\0'));
}

TEST(CopyFieldBytesTest, WritesExactlyCountBytes) {
    EXPECT_EQ(CopiedField("TAGXYZ", 3).first(4), "TAG#");
    EXPECT_EQ(CopiedField("x", 0).first(1), "#");
    EXPECT_EQ(CopiedField("", 3).first(4), std::string(3, '\0') + '#');
    // A lead byte as the only byte of a one-byte destination.
    EXPECT_EQ(CopiedField(kSong, 1).first(2), std::string(1, '\0') + '#');
}

// A 31-byte work buffer holding the given 30 bytes and a non-NUL byte 30.
std::string Trimmed(std::string_view thirtyBytes) {
    char field[31];
    std::memset(field, '#', sizeof field);
    std::memcpy(field, thirtyBytes.data(), 30);
    TrimFieldEnd(field);
    EXPECT_EQ(field[30], '\0');
    return field;
}

std::string PadTo30(std::string text) {
    text.resize(30, '\0');
    return text;
}

TEST(TrimFieldEndTest, RemovesTrailingSpacesAndKeepsLeadingOnes) {
    EXPECT_EQ(Trimmed(std::string(30, ' ')), "");
    EXPECT_EQ(Trimmed(std::string(30, '\0')), "");
    EXPECT_EQ(Trimmed(PadTo30(" abc  ")), " abc");
    EXPECT_EQ(Trimmed(PadTo30("a b")), "a b");
    EXPECT_EQ(Trimmed(PadTo30(std::string("x") + std::string(kSong) + "  ")), std::string("x") + std::string(kSong));
}

TEST(TrimFieldEndTest, FullFieldKeepsAllThirtyBytes) {
    const std::string full = "abcdefghijklmnopqrstuvwxyz0123";
    EXPECT_EQ(Trimmed(full), full);
    // Spaces and NULs mixed at the end all go.
    EXPECT_EQ(Trimmed(std::string("abc") + std::string(13, ' ') + std::string(1, '\0') + std::string(13, ' ')), "abc");
}

}  // namespace
}  // namespace sonatag
