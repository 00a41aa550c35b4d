
#include "tests/support/cli_process.h"

namespace sonatag::test {
namespace {

using ShowTest = CliTest;

TEST_F(ShowTest, PlainFormGivesOneSafeLinePerFileAndErrorsOnStandardError) {
    const std::string tagged = MakeFile("歌 一.mp3", TagBlock("\xB8\xE8", "\xD2\xD5\xCA\xF5\xBC\xD2", "\xD7\xA8"));
    const std::string controls = MakeFile("c.mp3", TagBlock("red\x1b[31m", "tab\there", "bell\x07"));
    const std::string untagged = MakeFile("plain.mp3"), tiny = dir.file("tiny.mp3"), missing = dir.file("no.mp3");
    WriteBytes(tiny, std::string(127, 'x'));

    const CliResult result = RunCli({"show", tagged, missing, controls, dir.path().string(), untagged, tiny});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, tagged + ": title \"歌\", artist \"艺术家\", album \"专\"\n" + controls +
                              ": title \"red\\x1b[31m\", artist \"tab\\there\", album \"bell\\x07\"\n" + untagged +
                              ": no tag\n" + tiny + ": too short to hold a tag\n");
    EXPECT_EQ(result.err.rfind("sonatag-cli: " + missing + ": ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find(dir.path().string() + ": not a regular file"), std::string::npos) << result.err;
}

TEST_F(ShowTest, JsonGivesEachStatusWithExactlyItsKeysAndStaysValidForAnyBytes) {
    // 0xFF is no code page 936 character; a lone lead byte at the end of a field is dropped.
    const std::string tagged = MakeFile("bad\xFF\x01name\xE6\x97.mp3",
                                        TagBlock("q\"b\\s\x01\x1f\x7f \xC4\xE3\xBA\xC3", "\xFF\x80 5", "x\n\r\t\xB8"));
    const std::string untagged = MakeFile("plain.mp3"), tiny = dir.file("tiny.mp3"), missing = dir.file("no.mp3");
    WriteBytes(tiny, "");

    const CliResult result = RunCli({"show", "--json", tagged, untagged, tiny, missing});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "");
    const std::string expected = "{\"path\": \"" + dir.file("bad\uFFFD\\u0001name\uFFFD\uFFFD.mp3") +
                                 "\", \"status\": \"found\", \"title\": \"q\\\"b\\\\s\\u0001\\u001f\\u007f 你好\", "
                                 "\"artist\": \"\uFFFD€ 5\", \"album\": \"x\\n\\r\\t\"}\n{\"path\": \"" +
                                 untagged + "\", \"status\": \"notag\"}\n{\"path\": \"" + tiny +
                                 "\", \"status\": \"tooshort\"}\n{\"path\": \"" + missing +
                                 "\", \"status\": \"error\", \"error\": \"" + missing + ": ";
    EXPECT_EQ(result.out.substr(0, expected.size()), expected);
    EXPECT_EQ(result.out.find('\n', expected.size()), result.out.size() - 1) << "the error is one line";
}

}  // namespace
}  // namespace sonatag::test
