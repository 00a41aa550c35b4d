#include <string>

#include <gtest/gtest.h>

#include "tests/cli/cli_process.h"

namespace sonatag::test {
namespace {

using ShowTest = CliTest;

bool IsSingleLineUtf8WithoutControls(const std::string& line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto byte = static_cast<unsigned char>(line[i]);
        if (byte < 0x20) return false;
        if (byte < 0x80) continue;
        std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC2 ? 2 : 0;
        if (length == 0 || i + length > line.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(line[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length - 1;
    }
    return true;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "output does not end with a line feed";
    return lines;
}

TEST_F(ShowTest, PlainFormGivesOneLinePerFileInOrderWithChineseDecoded) {
    const std::string tagged = MakeFile("歌 一.mp3", TagBlock("\xB8\xE8", "\xD2\xD5\xCA\xF5\xBC\xD2", "\xD7\xA8\xBC\xAD"));
    const std::string untagged = MakeFile("plain.mp3");
    const std::string tiny = dir.file("tiny.mp3");
    WriteBytes(tiny, std::string(127, 'x'));

    const CliResult result = RunCli({"show", tagged, untagged, tiny});

    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, tagged + ": title \"歌\", artist \"艺术家\", album \"专辑\"\n" +
                              untagged + ": no tag\n" + tiny + ": too short to hold a tag\n");
}

TEST_F(ShowTest, PlainFormReportsFileErrorsOnStandardErrorAndGoesOn) {
    const std::string missing = dir.file("missing.mp3");
    const std::string tagged = MakeFile("a.mp3", TagBlock("abc", "", ""));

    const CliResult result = RunCli({"show", missing, dir.path().string(), tagged});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, tagged + ": title \"abc\", artist \"\", album \"\"\n");
    EXPECT_NE(result.err.find(missing), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("No such file"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(dir.path().string() + ": not a regular file"), std::string::npos) << result.err;
}

TEST_F(ShowTest, PlainFormEscapesControlCharactersSoTheTerminalIsSafe) {
    const std::string path = MakeFile("a.mp3", TagBlock("red\x1b[31m", "tab\there", "bell\x07"));

    const CliResult result = RunCli({"show", path});

    EXPECT_EQ(result.out, path + ": title \"red\\x1b[31m\", artist \"tab\\there\", album \"bell\\x07\"\n");
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
    const std::vector<std::string> lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 4u) << result.out;
    EXPECT_EQ(lines[0], "{\"path\": \"" + tagged +
                            "\", \"status\": \"found\", \"title\": \"你好 abc\", \"artist\": \"€ 5\", \"album\": \"\"}");
    EXPECT_EQ(lines[1], "{\"path\": \"" + untagged + "\", \"status\": \"notag\"}");
    EXPECT_EQ(lines[2], "{\"path\": \"" + tiny + "\", \"status\": \"tooshort\"}");
    const std::string errorStart = "{\"path\": \"" + missing + "\", \"status\": \"error\", \"error\": \"";
    EXPECT_EQ(lines[3].substr(0, errorStart.size()), errorStart);
    EXPECT_NE(lines[3].find(missing, errorStart.size()), std::string::npos) << "the message names the file";
}

TEST_F(ShowTest, JsonStaysValidForControlCharactersBadBytesAndANameThatIsNotUtf8) {
    // 0xFF is no code page 936 character; a lone lead byte at the end of a field is dropped.
    const std::string path = MakeFile("bad\xFF\x01name\xE6\x97.mp3",
                                      TagBlock("q\"b\\s\x01\x1f\x7f", "\xFF" "ok", "x\n\r\t"));

    const CliResult result = RunCli({"show", "--json", path});

    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::string shownPath = dir.file("bad\xEF\xBF\xBD\\u0001name\xEF\xBF\xBD\xEF\xBF\xBD.mp3");
    EXPECT_EQ(result.out, "{\"path\": \"" + shownPath +
                              "\", \"status\": \"found\", \"title\": \"q\\\"b\\\\s\\u0001\\u001f\x7f\", "
                              "\"artist\": \"\xEF\xBF\xBDok\", \"album\": \"x\\n\\r\\t\"}\n");
    EXPECT_TRUE(IsSingleLineUtf8WithoutControls(Lines(result.out).at(0)));
}

TEST_F(ShowTest, JsonOfManyFilesIsOneValidLineEach) {
    std::vector<std::string> arguments{"show", "--json"};
    for (int i = 0; i < 600; ++i) {  // more than one output buffer's worth
        const std::string block = i % 3 == 0 ? "" : TagBlock("\xB8\xE8 " + std::to_string(i), "\x01", "\"");
        arguments.push_back(MakeFile("song " + std::to_string(i) + " \xE6\xAD\x8C.mp3", block));
    }
    arguments.push_back(dir.file("missing \x02.mp3"));

    const CliResult result = RunCli(arguments);

    EXPECT_EQ(result.exitCode, 1);
    const std::vector<std::string> lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 601u);
    for (const std::string& line : lines) {
        EXPECT_TRUE(IsSingleLineUtf8WithoutControls(line)) << line;
        EXPECT_EQ(line.front(), '{');
        EXPECT_EQ(line.back(), '}');
    }
    EXPECT_NE(lines[1].find("\"title\": \"歌 1\""), std::string::npos) << lines[1];
    EXPECT_NE(lines[600].find("\"status\": \"error\""), std::string::npos) << lines[600];
}

TEST_F(ShowTest, JsonIsAcceptedByAJsonParser) {
    if (std::system("python3 -c 'import json' 2>/dev/null") != 0) GTEST_SKIP() << "python3 is not available";
    const std::string path = MakeFile("q\"uote\\ \xFF\x1b.mp3", TagBlock("\x01\x02\"\\", "\xFF\xFE", "\xB8"));
    const CliResult result = RunCli({"show", "--json", path, dir.file("missing\x7f.mp3")});
    const std::string output = dir.file("output.json");
    WriteBytes(output, result.out);

    const std::string check = "python3 -c 'import json,sys\n"
                              "lines = open(sys.argv[1], encoding=\"utf-8\").read().splitlines()\n"
                              "assert len(lines) == 2\n"
                              "for line in lines: json.loads(line)' '" + output + "'";
    EXPECT_EQ(std::system(check.c_str()), 0) << result.out;
}

}  // namespace
}  // namespace sonatag::test
