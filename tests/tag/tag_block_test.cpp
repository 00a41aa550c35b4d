#include "tag/tag_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace sonatag {
namespace {

std::string BytesOf(const Id3v1Tag& block) { return std::string(reinterpret_cast<const char*>(&block), sizeof block); }

Id3v1Tag BlockFrom(std::string_view bytes) {
    Id3v1Tag block;
    std::memset(&block, 0, sizeof block);
    std::memcpy(&block, bytes.data(), std::min(bytes.size(), sizeof block));
    return block;
}

// A block that starts with "TAG" and holds the given 30 bytes (padded with NUL) as its title.
Id3v1Tag BlockWithTitle(std::string title) {
    title.resize(30, '\0');
    return BlockFrom("TAG" + title);
}

std::string Field(std::string text) {
    text.resize(30, '\0');
    return text;
}

TEST(BuildTagBlockTest, WritesEveryByte) {
    const std::string bytes = BytesOf(BuildTagBlock("abc", "\xB8\xE8\xCA\xD6", std::string(31, 'z')));
    const std::string expected = "TAG" + Field("abc") + Field("\xB8\xE8\xCA\xD6") + std::string(30, 'z') +
                                 std::string(4, ' ') + std::string(30, ' ') + "\xFF";
    EXPECT_EQ(bytes, expected);
}

TEST(BuildTagBlockTest, RoundTripsThroughParse) {
    const std::string longChinese = std::string(29, 'a') + "\xB8\xE8";
    const TagReadResult result = ParseTagBlock(BuildTagBlock(" lead", longChinese, ""));
    ASSERT_EQ(result.outcome, ReadOutcome::Found);
    EXPECT_EQ(result.fields, (TagFields{" lead", std::string(29, 'a'), ""}));
}

TEST(ParseTagBlockTest, IdentifierIsCaseSensitive) {
    EXPECT_EQ(ParseTagBlock(BlockFrom("TAGabc")).outcome, ReadOutcome::Found);
    EXPECT_EQ(ParseTagBlock(BlockFrom("tagabc")).outcome, ReadOutcome::NoTag);
    EXPECT_EQ(ParseTagBlock(BlockFrom("TAgabc")).outcome, ReadOutcome::NoTag);
    EXPECT_EQ(ParseTagBlock(BlockFrom("TA")).outcome, ReadOutcome::NoTag);
    EXPECT_TRUE(ParseTagBlock(BlockFrom("tagabc")).fields == TagFields{});
}

TEST(ParseTagBlockTest, ReadsEachFieldByTheFieldRules) {
    const auto titleOf = [](std::string bytes) { return ParseTagBlock(BlockWithTitle(std::move(bytes))).fields.title; };
    EXPECT_EQ(titleOf(std::string("ab\0cd", 5)), "ab");        // bytes after a NUL are ignored
    EXPECT_EQ(titleOf(std::string(30, ' ')), "");                // all spaces
    EXPECT_EQ(titleOf(" abc  "), " abc");                        // leading space kept
    EXPECT_EQ(titleOf(std::string(30, 'q')), std::string(30, 'q'));  // no NUL at all
    // The last byte is a lead byte whose trail would be outside the field.
    EXPECT_EQ(titleOf(std::string(28, 'q') + "x\xB8"), std::string(28, 'q') + "x");
    EXPECT_EQ(titleOf(std::string(27, 'q') + "\xB8\xE8\xB8"), std::string(27, 'q') + "\xB8\xE8");
}

TEST(ParseTagBlockTest, ReadsTitleArtistAndAlbumFromTheirOwnFields) {
    std::string bytes = "TAG" + Field("title") + std::string(30, 'A') + Field("album");
    bytes += "2024" + Field("comment") + "\x11";
    const TagReadResult result = ParseTagBlock(BlockFrom(bytes));
    ASSERT_EQ(result.outcome, ReadOutcome::Found);
    EXPECT_EQ(result.fields, (TagFields{"title", std::string(30, 'A'), "album"}));
}

}  // namespace
}  // namespace sonatag
