#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/cli_process.h"

namespace sonatag::test {
namespace {

using UsageTest = CliTest;

TEST_F(UsageTest, UsageErrorsExitWithTwoAndTouchNoFile) {
    const std::string file = MakeFile("a.mp3");
    const std::vector<std::vector<std::string>> commandLines = {
        {},
        {"play", file},
        {"set", "--titel", "x", file},
        {"set", "--title", "x"},
        {"show"},
        {"show", "--json"},
        {"set", "--title", "x", "--title-from-name", file},
        {"set", file, "--artist"},
        {"set", "--artist", "a", "--artist", "b", file},
        {"set", "--title-from-name=yes", file},
        {"show", "--json=1", file},
        {"show", "-x", file},
    };
    for (const std::vector<std::string>& commandLine : commandLines) {
        const CliResult result = RunCli(commandLine);
        SCOPED_TRACE(testing::PrintToString(commandLine));
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("sonatag-cli: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find("Usage: sonatag-cli show"), std::string::npos) << result.err;
    }
    EXPECT_TRUE(ReadBytes(file) == audio);

    EXPECT_NE(RunCli({"set", "--bogus", file}).err.find("unknown option --bogus"), std::string::npos);
    EXPECT_NE(RunCli({"set", file, "--album"}).err.find("--album needs a value"), std::string::npos);
    EXPECT_NE(RunCli({"show"}).err.find("no FILE"), std::string::npos);
    EXPECT_NE(RunCli({"set", "--title=x", "--title-from-name", file}).err.find("together"), std::string::npos);
}

TEST_F(UsageTest, AnOptionValueMayLookLikeAnOptionAndDoubleDashEndsTheOptions) {
    const std::string path = MakeFile("-x.mp3");

    const CliResult result = RunCli({"set", "--title", "--artist", "--", "-x.mp3"}, dir.path().string());

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(LastBlock(path), TagBlock("--artist", "", ""));
}

TEST(CliInfoTest, VersionAndHelpGoToStandardOutput) {
    const CliResult version = RunCli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "1.0.0.1\n");
    EXPECT_EQ(version.err, "");

    for (const char* help : {"--help", "-h"}) {
        const CliResult result = RunCli({help});
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.out.rfind("Usage: sonatag-cli show [--json] [--id3v2] FILE...\n", 0), 0u) << result.out;
        EXPECT_NE(result.out.find("--title-from-name"), std::string::npos);
        EXPECT_EQ(result.err, "");
    }
    EXPECT_EQ(RunCli({"set", "--help"}).exitCode, 0);
}

}  // namespace
}  // namespace sonatag::test
