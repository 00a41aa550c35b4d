#include <gtest/gtest.h>

#include <string>

#include "tag/tag_file.h"
#include "tests/support/test_files.h"

namespace sonatag {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// A field exactly as given, 30 bytes.
std::string RawField(std::string bytes) {
    bytes.resize(30, '\0');
    return bytes;
}

TEST(TagUpdateTest, FieldsNotGivenKeepEveryByte) {
    const TempDir dir;
    const std::string path = dir.file("song.mp3");
    const std::string audio(1000, '\x55');
    const std::string tail = "1999" + std::string(30, '\x01') + "\x11";
    // Fields that reading shows otherwise than they lie: a lead byte before a space, a lead byte
    // at the end, bytes after a NUL, trailing spaces, and a field of 30 bytes.
    const std::string fields[] = {
        RawField("\xB8 x"),
        RawField(std::string(29, 'a') + "\xB8"),
        RawField(std::string("ab\0cd", 5)),
        RawField("ab   "),
        std::string(30, 'z'),
    };
    for (const std::string& kept : fields) {
        const std::string before = audio + "TAG" + RawField("old") + kept + kept + tail;
        WriteBytes(path, before);
        ASSERT_EQ(UpdateTagFields(path, {"new", std::nullopt, std::nullopt}), WriteOutcome::Written);
        EXPECT_EQ(ReadBytes(path), audio + "TAG" + RawField("new") + kept + kept + tail);
        WriteBytes(path, before);
        ASSERT_EQ(UpdateTagFields(path, {std::nullopt, std::nullopt, std::nullopt}), WriteOutcome::Written);
        EXPECT_EQ(ReadBytes(path), before);
    }
}

}  // namespace
}  // namespace sonatag
