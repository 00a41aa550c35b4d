#include "tag/tag_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace sonatag {
namespace {

std::string Field(std::string text) {
    text.resize(30, '\0');
    return text;
}

Id3v1Tag BlockFrom(std::string bytes) {
    bytes.resize(sizeof(Id3v1Tag), '\0');
    Id3v1Tag block;
    std::memcpy(&block, bytes.data(), sizeof block);
    return block;
}

TEST(BuildTagBlockTest, WritesEveryByteWithSpacesAndNoGenreAfterTheAlbum) {
    const Id3v1Tag block = BuildTagBlock("abc", "\xB8\xE8\xCA\xD6", std::string(31, 'z'));
    const std::string expected =
        "TAG" + Field("abc") + Field("\xB8\xE8\xCA\xD6") + std::string(30, 'z') + std::string(34, ' ') + "\xFF";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&block), sizeof block), expected);
}

TEST(ParseTagBlockTest, IdentifierIsCaseSensitive) {
    EXPECT_EQ(ParseTagBlock(BlockFrom("TAGabc")).outcome, ReadOutcome::Found);
    for (const char* identifier : {"tagabc", "TAgabc", "TA"}) {
        const TagReadResult result = ParseTagBlock(BlockFrom(identifier));
        EXPECT_EQ(result.outcome, ReadOutcome::NoTag) << identifier;
        EXPECT_TRUE(result.fields == TagFields{});
    }
}

TEST(ParseTagBlockTest, ReadsEachFieldFromItsOwnThirtyBytes) {
    const std::string q30(30, 'q');
    const TagReadResult full = ParseTagBlock(BlockFrom("TAG" + Field("title") + q30 + Field("album") + "2024"));
    ASSERT_EQ(full.outcome, ReadOutcome::Found);
    EXPECT_EQ(full.fields, (TagFields{"title", q30, "album"}));

    const auto titleOf = [](std::string bytes) { return ParseTagBlock(BlockFrom("TAG" + Field(bytes))).fields.title; };
    EXPECT_EQ(titleOf(std::string("ab\0cd", 5)), "ab");  // bytes after a NUL are ignored
    EXPECT_EQ(titleOf(" abc  "), " abc");
    // The last byte is a lead byte whose trail would be outside the field.
    EXPECT_EQ(titleOf(std::string(28, 'q') + "x\xB8"), std::string(28, 'q') + "x");
}

}  // namespace
}  // namespace sonatag
