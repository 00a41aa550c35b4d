
#include "tests/support/cli_process.h"

namespace sonatag::test {
namespace {

using UsageTest = CliTest;

TEST_F(UsageTest, UsageErrorsExitWithTwoAndTouchNoFile) {
    const std::string file = MakeFile("a.mp3"), journal = dir.file("journal");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, ""},
        {{"set", "--titel", "x", file}, "unknown option --titel"},
        {{"set", "--title=x", "--title-from-name", file}, "--title and --title-from-name cannot be given together"},
        {{"set", file, "--album"}, "option --album needs a value"},
        {{"show", "--json=1", file}, ""},
        {{"show", "-j", "0", file}, "--jobs needs a number from 1 to 1024"},
        {{"show", "-0", file}, "-0/--null needs --files-from"},
        {{"undo", journal, journal}, ""},
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
    EXPECT_FALSE(std::filesystem::exists(journal));
}

TEST_F(UsageTest, AnOptionValueMayLookLikeAnOptionAndDoubleDashEndsTheOptions) {
    const std::string path = MakeFile("-x.mp3");
    const CliResult result = RunCli({"set", "--title", "--artist", "--", "-x.mp3"}, dir.path().string());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(LastBlock(path), TagBlock("--artist", "", ""));
}

}  // namespace
}  // namespace sonatag::test
