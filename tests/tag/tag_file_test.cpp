#include "tag/tag_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tests/support/test_files.h"

namespace sonatag::test {

using TagFileTest = Mp3Test;

// An ID3v2 tag and nothing else, whose last 128 bytes begin with "TAG".
const std::string kOnlyAnId3v2Tag =
    "ID3" + std::string("\3\0\0\0\0\1\x0A", 7) + "PRIV" + std::string("\0\0\0\x80\0\0", 6) + TagBlock("inside", "", "");

TEST_F(TagFileTest, ReadsTheFieldsOfTheLastBlock) {
    const std::string q28(28, 'q'), q30(30, 'q');
    struct Case {
        std::string bytes;
        ReadOutcome outcome;
        TagFields fields;
    };
    const Case cases[] = {
        {TagBlock("t", "a", "b").substr(0, 127), ReadOutcome::TooShort, {}},
        {audio, ReadOutcome::NoTag, {}},
        {audio + "tag" + TagBlock("t", "a", "b").substr(3), ReadOutcome::NoTag, {}},  // the identifier's case counts
        {TagBlock("title", q30, "album", kStoredTail), ReadOutcome::Found, {"title", q30, "album"}},
        {audio + TagBlock(" abc  ", std::string("ab\0cd", 5), std::string(30, ' ')),
         ReadOutcome::Found,
         {" abc", "ab", ""}},
        // The last byte is a lead byte whose trail would be outside the field.
        {audio + TagBlock(q28 + "x\xB8", "", "\xB8\xE8"), ReadOutcome::Found, {q28 + "x", "", "\xB8\xE8"}},
        {kOnlyAnId3v2Tag, ReadOutcome::NoTag, {}},
    };
    for (const auto& [bytes, outcome, fields] : cases) {
        WriteBytes(dir.file("song.mp3"), bytes);
        const TagReadResult result = ReadTagFields(dir.file("song.mp3"));
        EXPECT_EQ(result.outcome, outcome) << bytes.size();
        EXPECT_EQ(result.fields, fields) << bytes.size();
    }
}

TEST_F(TagFileTest, WritesTheGivenFieldsKeepingEveryOtherByte) {
    const std::string lowerCase = audio + "tag" + TagBlock("old", "", "").substr(3);
    const std::string a29(29, 'a'), nulInside("ab\0cd", 5);
    struct Case {
        std::string before;
        TagUpdate update;
        WriteOutcome outcome;
        std::string after;
    };
    const Case cases[] = {
        {audio, {"title", "\xB8\xE8", "album"}, WriteOutcome::Written, audio + TagBlock("title", "\xB8\xE8", "album")},
        {lowerCase, {"new", "", ""}, WriteOutcome::Written, lowerCase + TagBlock("new", "", "")},
        {audio + TagBlock(std::string(30, 'T'), "artist", "album", kStoredTail),
         {"short", "", "\xB8\xE8"},
         WriteOutcome::Written,
         audio + TagBlock("short", "", "\xB8\xE8", kStoredTail)},
        // A file of exactly 128 bytes that begins with "TAG" is all block.
        {TagBlock("old", "old", "old", kStoredTail),
         {"t", "a", "b"},
         WriteOutcome::Written,
         TagBlock("t", "a", "b", kStoredTail)},
        // A field not given keeps its value; without a block it is empty.
        {audio + TagBlock("title", "artist", "album", kStoredTail),
         {"", "new artist", std::nullopt},
         WriteOutcome::Written,
         audio + TagBlock("", "new artist", "album", kStoredTail)},
        {audio, {std::nullopt, std::nullopt, "album"}, WriteOutcome::Written, audio + TagBlock("", "", "album")},
        // Fields that read otherwise than they lie keep every byte: a lead byte before a space or
        // at the end, bytes after a NUL, trailing spaces.
        {audio + TagBlock("old", "\xB8 x", a29 + "\xB8", kStoredTail),
         {"new", std::nullopt, std::nullopt},
         WriteOutcome::Written,
         audio + TagBlock("new", "\xB8 x", a29 + "\xB8", kStoredTail)},
        {audio + TagBlock("old", nulInside, "ab   ", kStoredTail),
         {"new", std::nullopt, std::nullopt},
         WriteOutcome::Written,
         audio + TagBlock("new", nulInside, "ab   ", kStoredTail)},
        {std::string(127, 'x'), {"t", "a", "b"}, WriteOutcome::TooShort, std::string(127, 'x')},
        // Bytes that begin with "TAG" but belong to an ID3v2 tag that fills the file are no block.
        {kOnlyAnId3v2Tag, {"t", "a", "b"}, WriteOutcome::Written, kOnlyAnId3v2Tag + TagBlock("t", "a", "b")},
    };
    const std::string path = dir.file("\xFF\xFE \xB8\xE8.mp3");  // a name that is not UTF-8
    for (const auto& [before, update, outcome, after] : cases) {
        WriteBytes(path, before);
        EXPECT_EQ(UpdateTagFields(path, update), outcome);
        EXPECT_TRUE(ReadBytes(path) == after) << LastBlock(path);
    }
}

TEST_F(TagFileTest, AMissingFileOrAPathWithANulIsAnErrorAndNothingIsCreated) {
    const std::string song = MakeFile("song.mp3");
    for (const std::string& path : {dir.file("missing.mp3"), song + std::string("\0.txt", 5)}) {
        EXPECT_THROW(ReadTagFields(path), FileError);
        EXPECT_THROW(WriteTagFields(path, "t", "a", "b"), FileError);  // open() would stop at the NUL
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.mp3")));
    EXPECT_TRUE(ReadBytes(song) == audio);
}

}  // namespace sonatag::test
