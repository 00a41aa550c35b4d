// Where the paths come from (arguments, --files-from, walked folders) and -j.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/cli_process.h"

namespace sonatag::test {
namespace {

class PathsTest : public CliTest {
protected:
    PathsTest() {
        for (const char* name : {"x.mp3", "a/2.mp3", "a/10.mp3", "a/sub/1.mp3", "a/.h.mp3", "new\nline.mp3"}) {
            std::filesystem::create_directories(std::filesystem::path(dir.file(name)).parent_path());
            MakeFile(name);
        }
    }

    // What show prints for files without a tag, one line per path.
    static std::string NoTagLines(const std::vector<std::string>& paths) {
        std::string lines;
        for (const std::string& path : paths) lines += path + ": no tag\n";
        return lines;
    }
};

TEST_F(PathsTest, TakesArgumentsThenTheListFromAFileOrStandardInputWalkingFoldersWithR) {
    struct Case {
        std::vector<std::string> arguments;
        std::string list;  // written to the file "list" and given as standard input
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {{"-r", "a"}, "", {"a/2.mp3", "a/10.mp3", "a/sub/1.mp3"}},
        {{"--files-from", "list"}, "a/10.mp3\n\na/2.mp3", {"a/10.mp3", "a/2.mp3"}},
        {{"x.mp3", "--files-from=-"}, "a/2.mp3\n", {"x.mp3", "a/2.mp3"}},
        {{"-0", "--files-from", "-"}, std::string("new\nline.mp3\0a/2.mp3\0", 22), {"new\\nline.mp3", "a/2.mp3"}},
        {{"--null", "--files-from", "list", "-r"}, std::string("a/sub\0x.mp3", 11), {"a/sub/1.mp3", "x.mp3"}},
        {{"--files-from", "-", "--recursive", "-j", "3"},
         "a\nx.mp3\n",
         {"a/2.mp3", "a/10.mp3", "a/sub/1.mp3", "x.mp3"}},
    };
    for (const Case& c : cases) {
        WriteBytes(dir.file("list"), c.list);
        std::vector<std::string> arguments{"show"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const CliResult result = RunCliWithInput(c.list, arguments, dir.path().string());
        EXPECT_EQ(result.exitCode, 0) << arguments[1] << result.err;
        EXPECT_EQ(result.out, NoTagLines(c.expected)) << arguments[1];
        EXPECT_EQ(result.err, "");
    }
}

TEST_F(PathsTest, AFolderThatCannotBeReadIsReportedInItsTurnAndTheWalkGoesOn) {
    const TooDeepFolder deep(dir.file("a"), std::string(250, 'd'));
    const CliResult result = RunCli({"show", "-r", "-j", "2", "a", "x.mp3"}, dir.path().string());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, NoTagLines({"a/2.mp3", "a/10.mp3", "a/sub/1.mp3", "x.mp3"}));
    EXPECT_NE(result.err.find(": cannot read the folder: File name too long\n"), std::string::npos) << result.err;
}

TEST_F(PathsTest, ManyJobsGiveTheSameOutputMessagesAndStatusAsOne) {
    std::vector<std::string> files;
    for (int i = 0; i < 120; ++i) {
        const std::string name = "f" + std::to_string(i) + ".mp3";
        if (i % 7 != 3) MakeFile(name);  // every seventh is missing
        files.push_back(dir.file(name));
    }
    std::string list;
    for (const std::string& file : files) list += file + '\n';
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"show"}, {"show", "--json"}, {"set", "--artist", "歌手😀", "--title-from-name"}}) {
        std::vector<std::string> sequential = command, parallel = command;
        sequential.insert(sequential.end(), {"--files-from", "-"});
        parallel.insert(parallel.end(), {"--files-from", "-", "--jobs=8"});
        const CliResult one = RunCliWithInput(list, sequential);
        const CliResult many = RunCliWithInput(list, parallel);
        EXPECT_EQ(one.exitCode, 1);
        EXPECT_EQ(many.exitCode, one.exitCode) << command[0];
        EXPECT_EQ(many.out, one.out) << command[0];
        EXPECT_EQ(many.err, one.err) << command[0];
    }
    EXPECT_EQ(LastBlock(files[0]).substr(0, 5), "TAGf0");
}

TEST_F(PathsTest, BadPathOptionsAreUsageErrorsAndAListThatCannotBeOpenedTouchesNoFile) {
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        std::string message;
    };
    const std::string file = dir.file("x.mp3");
    const Case cases[] = {
        {{"show", "-j", "0", file}, 2, "--jobs needs a number from 1 to 1024"},
        {{"show", "-j2x", file}, 2, "--jobs needs a number from 1 to 1024"},
        {{"show", "--jobs", "1025", file}, 2, "--jobs needs a number from 1 to 1024"},
        {{"set", "--title", "t", "--jobs"}, 2, "option --jobs needs a value"},
        {{"show", "-0", file}, 2, "-0/--null needs --files-from"},
        {{"show", "--recursive=yes", file}, 2, "option --recursive takes no value"},
        {{"show", "--files-from", "a", "--files-from", "b"}, 2, "option --files-from is given twice"},
        {{"set", "--title", "t", file, "--files-from", dir.file("none")},
         1,
         dir.file("none") + ": cannot open the list of files: No such file or directory"},
    };
    const std::string before = ReadBytes(file);
    for (const Case& c : cases) {
        const CliResult result = RunCli(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.message;
        EXPECT_EQ(result.err.rfind("sonatag-cli: " + c.message + "\n", 0), 0u) << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(ReadBytes(file), before);
}

}  // namespace
}  // namespace sonatag::test
