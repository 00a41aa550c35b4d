// The command-line tool as a process: its arguments, exit status and output.

#include "tests/support/cli_process.h"

namespace sonatag::test {

using UsageTest = CliTest;

TEST_F(UsageTest, UsageErrorsExitWithTwoAndTouchNoFile) {
    const std::string file = MakeFile("a.mp3"), journal = dir.file("journal"), other = MakeFile("b.mp3");
    const std::string existing = dir.file("existing");
    RunCli({"set", "--journal", existing, "--title", "t", other});
    const std::string otherBefore = ReadBytes(other), existingBefore = ReadBytes(existing);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        // A journal never takes the place of what is not a journal, nor of a file it is to change.
        {{"set", "--journal", file, "--title", "x", file}, file + ": exists and is not a journal"},
        {{"repair", "--journal", other, file}, other + ": exists and is not a journal"},
        {{"set", "--journal", existing, "--title", "x", file, existing}, existing + ": is the journal"},
        {{"set", "--id3v2", "--title", "\xFF", file}, "--title is not UTF-8"},
        {{}, ""},
        {{"set", "--titel", "x", file}, "unknown option --titel"},
        {{"set", "--title=x", "--title-from-name", file}, "--title and --title-from-name cannot be given together"},
        {{"show", "-j", "1025", file}, "--jobs needs a number from 0 to 1024"},
        {{"set", "--journal", journal, "--dry-run", "--title", "x", file}, ""},
    };
    for (const auto& [commandLine, reason] : cases) {
        const CliResult result = RunCli(commandLine);
        SCOPED_TRACE(testing::PrintToString(commandLine));
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("sonatag-cli: " + reason, 0), 0u) << result.err;
    }
    EXPECT_TRUE(ReadBytes(file) == audio);
    EXPECT_TRUE(ReadBytes(other) == otherBefore && ReadBytes(existing) == existingBefore);
    EXPECT_FALSE(std::filesystem::exists(journal));
}

TEST_F(UsageTest, AnOptionValueMayLookLikeAnOptionAndDoubleDashEndsTheOptions) {
    const std::string path = MakeFile("-x.mp3");
    const CliResult result = RunCli({"set", "--title", "--artist", "--", "-x.mp3"}, dir.path().string());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(LastBlock(path), TagBlock("--artist", "", ""));
}

using ShowTest = CliTest;

TEST_F(ShowTest, PlainFormGivesOneSafeLinePerFileAndErrorsOnStandardError) {
    const std::string tagged = MakeFile("歌 一.mp3", TagBlock("\xB8\xE8", "\xD2\xD5\xCA\xF5\xBC\xD2", "\xD7\xA8"));
    // Controls that some terminals obey, and controls that reorder the text around them.
    const std::string controls = MakeFile("c\u202E\u0085.mp3", TagBlock("red\x1b[31m", "tab\there", "bell\x07"));
    const std::string untagged = MakeFile("plain.mp3"), tiny = dir.file("tiny.mp3"), missing = dir.file("no.mp3");
    WriteBytes(tiny, std::string(127, 'x'));

    const CliResult result = RunCli({"show", tagged, missing, controls, dir.path().string(), untagged, tiny});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, tagged + ": title \"歌\", artist \"艺术家\", album \"专\"\n" +
                              dir.file("c\\u202e\\u0085.mp3") +
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

using SetTest = CliTest;

TEST_F(SetTest, WritesTrimmedCodePage936TextsKeepingEachFieldNotGivenAndWarnsOfLosses) {
    const std::string path = MakeFile("a.mp3", TagBlock("old title", "old artist", "old album", kStoredTail));
    const std::string fresh = MakeFile("  歌曲 一.mp3"), y29(29, 'y');

    // Only the six ASCII white-space characters are trimmed: an ideographic space stays.
    const CliResult kept = RunCli({"set", "--title", " \t\n\v\f\r歌  b\r\n", "--album=\u3000x", path});
    const CliResult lossy = RunCli({"set", "--title-from-name", "--album", y29 + "中\u2713", fresh});

    EXPECT_EQ(kept.exitCode, 0);
    EXPECT_EQ(kept.out + kept.err, "");
    EXPECT_EQ(ReadBytes(path), audio + TagBlock("\xB8\xE8  b", "old artist", "\xA1\xA1x", kStoredTail));
    EXPECT_EQ(lossy.exitCode, 0);
    EXPECT_EQ(LastBlock(fresh), TagBlock("\xB8\xE8\xC7\xFA \xD2\xBB", "", y29));
    EXPECT_EQ(lossy.err, "sonatag-cli: warning: " + fresh +
                             ": album: a character that code page 936 cannot hold was written as '?'\n" +
                             "sonatag-cli: warning: " + fresh + ": album: the text is 32 bytes in code page 936, " +
                             "more than the field's 30; it was cut to 29\n");
}

TEST_F(SetTest, ReportsEachFileThatFailsAndWritesTheOthers) {
    const std::string missing = dir.file("missing.mp3"), tiny = dir.file("tiny.mp3"), last = MakeFile("last.mp3");
    WriteBytes(tiny, std::string(127, '\xAA'));
    const CliResult result = RunCli({"set", "--title", "t", missing, dir.path().string(), tiny, last});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(missing)) << "never created";
    EXPECT_EQ(ReadBytes(tiny), std::string(127, '\xAA'));
    EXPECT_EQ(LastBlock(last), TagBlock("t", "", ""));
    for (const std::string& failed : {missing + ": ", dir.path().string() + ": ", tiny + ": shorter than 128 bytes"})
        EXPECT_NE(result.err.find("sonatag-cli: " + failed), std::string::npos) << result.err;
}

}  // namespace sonatag::test
