#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/cli_process.h"

namespace sonatag::test {
namespace {

using UsageTest = CliTest;

TEST_F(UsageTest, UsageErrorsExitWithTwoAndTouchNoFile) {
    const std::string untagged = MakeFile("untagged.mp3");
    const std::string tagged = MakeFile("tagged.mp3", TagBlock("t", "a", "b"));
    const std::string untaggedBytes = ReadBytes(untagged);
    const std::string taggedBytes = ReadBytes(tagged);

    const std::vector<std::vector<std::string>> commandLines = {
        {},
        {"play", untagged},
        {"set", "--titel", "x", untagged, tagged},
        {"set", "--title", "x"},
        {"show"},
        {"show", "--json"},
        {"set", "--title", "x", "--title-from-name", untagged, tagged},
        {"set", untagged, tagged, "--artist"},
        {"set", "--artist", "a", "--artist", "b", untagged},
        {"set", "--title-from-name=yes", untagged},
        {"show", "--json=1", tagged},
        {"show", "-x", tagged},
    };
    for (const std::vector<std::string>& commandLine : commandLines) {
        const CliResult result = RunCli(commandLine);
        SCOPED_TRACE(testing::PrintToString(commandLine));
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("sonatag-cli: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find("Usage: sonatag-cli show"), std::string::npos) << result.err;
    }
    EXPECT_TRUE(ReadBytes(untagged) == untaggedBytes);
    EXPECT_TRUE(ReadBytes(tagged) == taggedBytes);
}

TEST_F(UsageTest, UsageErrorMessagesSayWhatIsWrong) {
    const std::string file = MakeFile("a.mp3");
    EXPECT_NE(RunCli({"set", "--bogus", file}).err.find("unknown option --bogus"), std::string::npos);
    EXPECT_NE(RunCli({"set", file, "--album"}).err.find("--album needs a value"), std::string::npos);
    EXPECT_NE(RunCli({"show"}).err.find("no FILE"), std::string::npos);
    EXPECT_NE(RunCli({"set", "--title=x", "--title-from-name", file}).err.find("together"), std::string::npos);
}

TEST_F(UsageTest, AnOptionValueMayLookLikeAnOption) {
    const std::string path = MakeFile("a.mp3");

    EXPECT_EQ(RunCli({"set", "--title", "--artist", path}).exitCode, 0);

    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes.substr(bytes.size() - 125, 8), std::string("--artist"));
}

TEST(CliInfoTest, VersionAndHelpGoToStandardOutput) {
    const CliResult version = RunCli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "1.0.0.1\n");
    EXPECT_EQ(version.err, "");

    for (const char* help : {"--help", "-h"}) {
        const CliResult result = RunCli({help});
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.out.rfind("Usage: sonatag-cli show [--json] FILE...\n", 0), 0u) << result.out;
        EXPECT_NE(result.out.find("--title-from-name"), std::string::npos);
        EXPECT_EQ(result.err, "");
    }
    EXPECT_EQ(RunCli({"set", "--help"}).exitCode, 0);
}

}  // namespace
}  // namespace sonatag::test
