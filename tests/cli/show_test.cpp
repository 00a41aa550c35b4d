#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/cli_process.h"

namespace sonatag::test {
namespace {

using ShowTest = CliTest;

TEST_F(ShowTest, PlainFormGivesOneSafeLinePerFileAndErrorsOnStandardError) {
    const std::string tagged =
        MakeFile("歌 一.mp3", TagBlock("\xB8\xE8", "\xD2\xD5\xCA\xF5\xBC\xD2", "\xD7\xA8\xBC\xAD"));
    const std::string controls = MakeFile("c.mp3", TagBlock("red\x1b[31m", "tab\there", "bell\x07"));
    const std::string untagged = MakeFile("plain.mp3");
    const std::string tiny = dir.file("tiny.mp3");
    WriteBytes(tiny, std::string(127, 'x'));
    const std::string missing = dir.file("missing.mp3");

    const CliResult result = RunCli({"show", tagged, missing, controls, dir.path().string(), untagged, tiny});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, tagged + ": title \"歌\", artist \"艺术家\", album \"专辑\"\n" + controls +
                              ": title \"red\\x1b[31m\", artist \"tab\\there\", album \"bell\\x07\"\n" + untagged +
                              ": no tag\n" + tiny + ": too short to hold a tag\n");
    EXPECT_NE(result.err.find(missing + ": "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("No such file"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(dir.path().string() + ": not a regular file"), std::string::npos) << result.err;
}

TEST_F(ShowTest, JsonGivesEachStatusWithExactlyItsKeys) {
    const std::string tagged = MakeFile("歌.mp3", TagBlock("\xC4\xE3\xBA\xC3 abc", "\x80 5", ""));
    const std::string untagged = MakeFile("plain.mp3");
    const std::string tiny = dir.file("tiny.mp3");
    WriteBytes(tiny, "");
    const std::string missing = dir.file("missing.mp3");

    const CliResult result = RunCli({"show", "--json", tagged, untagged, tiny, missing});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "");
    const std::string expected =
        "{\"path\": \"" + tagged +
        "\", \"status\": \"found\", \"title\": \"你好 abc\", \"artist\": \"€ 5\", \"album\": \"\"}\n" +
        "{\"path\": \"" + untagged + "\", \"status\": \"notag\"}\n" + "{\"path\": \"" + tiny +
        "\", \"status\": \"tooshort\"}\n" + "{\"path\": \"" + missing + "\", \"status\": \"error\", \"error\": \"" +
        missing + ": ";
    EXPECT_EQ(result.out.substr(0, expected.size()), expected);
    EXPECT_EQ(result.out.find('\n', expected.size()), result.out.size() - 1) << "the error is one line";
    EXPECT_TRUE(result.out.ends_with("\"}\n")) << result.out;
}

TEST_F(ShowTest, JsonStaysValidForControlCharactersBadBytesAndANameThatIsNotUtf8) {
    // 0xFF is no code page 936 character; a lone lead byte at the end of a field is dropped.
    const std::string path = MakeFile("bad\xFF\x01name\xE6\x97.mp3", TagBlock("q\"b\\s\x01\x1f\x7f",
                                                                              "\xFF"
                                                                              "ok",
                                                                              "x\n\r\t"));

    const CliResult result = RunCli({"show", "--json", path});

    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::string shownPath = dir.file("bad\xEF\xBF\xBD\\u0001name\xEF\xBF\xBD\xEF\xBF\xBD.mp3");
    EXPECT_EQ(result.out, "{\"path\": \"" + shownPath +
                              "\", \"status\": \"found\", \"title\": \"q\\\"b\\\\s\\u0001\\u001f\\u007f\", "
                              "\"artist\": \"\xEF\xBF\xBDok\", \"album\": \"x\\n\\r\\t\"}\n");
}

TEST_F(ShowTest, JsonOfManyFilesIsOneLineEachInOrder) {
    std::vector<std::string> arguments{"show", "--json"};
    std::string expected;
    for (int i = 0; i < 600; ++i) {  // more than one output buffer's worth
        const std::string number = std::to_string(i);
        const bool tagged = i % 3 != 0;
        const std::string block = tagged ? TagBlock("\xB8\xE8 " + number, "\x01", "\"") : "";
        arguments.push_back(MakeFile("song " + number + " 歌.mp3", block));
        expected += "{\"path\": \"" + arguments.back() + "\", \"status\": ";
        expected += tagged
                        ? "\"found\", \"title\": \"歌 " + number + "\", \"artist\": \"\\u0001\", \"album\": \"\\\"\"}\n"
                        : "\"notag\"}\n";
    }

    const CliResult result = RunCli(arguments);

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, expected);
}

}  // namespace
}  // namespace sonatag::test
