#include <string>
#include <vector>

#include "tests/support/cli_process.h"

namespace sonatag::test {
namespace {

using UsageTest = CliTest;

TEST_F(UsageTest, UsageErrorsExitWithTwoAndTouchNoFile) {
    const std::string file = MakeFile("a.mp3");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, ""},
        {{"play", file}, ""},
        {{"set", "--titel", "x", file}, "unknown option --titel"},
        {{"set", "--title", "x"}, "no FILE"},
        {{"show"}, "no FILE"},
        {{"show", "--json"}, "no FILE"},
        {{"set", "--title=x", "--title-from-name", file}, "--title and --title-from-name cannot be given together"},
        {{"set", file, "--album"}, "option --album needs a value"},
        {{"set", "--artist", "a", "--artist", "b", file}, ""},
        {{"set", "--title-from-name=yes", file}, ""},
        {{"show", "--json=1", file}, ""},
        {{"show", "-x", file}, ""},
    };
    for (const auto& [commandLine, reason] : cases) {
        const CliResult result = RunCli(commandLine);
        SCOPED_TRACE(testing::PrintToString(commandLine));
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("sonatag-cli: " + reason, 0), 0u) << result.err;
        EXPECT_NE(result.err.find("Usage: sonatag-cli show"), std::string::npos) << result.err;
    }
    EXPECT_TRUE(ReadBytes(file) == audio);
}

TEST_F(UsageTest, AnOptionValueMayLookLikeAnOptionAndDoubleDashEndsTheOptions) {
    const std::string path = MakeFile("-x.mp3");

    const CliResult result = RunCli({"set", "--title", "--artist", "--", "-x.mp3"}, dir.path().string());

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(LastBlock(path), TagBlock("--artist", "", ""));
}

TEST(CliInfoTest, VersionAndHelpGoToStandardOutput) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--version"}, "1.0.0.1\n"},
        {{"--help"}, "Usage: sonatag-cli show [--json] [--id3v2] FILE...\n"},
        {{"-h"}, "Usage: sonatag-cli show [--json] [--id3v2] FILE...\n"},
        {{"set", "--help"}, "Usage: sonatag-cli show [--json] [--id3v2] FILE...\n"},
    };
    for (const auto& [commandLine, begin] : cases) {
        const CliResult result = RunCli(commandLine);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.out.rfind(begin, 0), 0u) << result.out;
        EXPECT_EQ(result.err, "");
    }
}

}  // namespace
}  // namespace sonatag::test
