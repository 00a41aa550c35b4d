// Where the paths come from (arguments, --files-from, walked folders) and -j.

#include "tests/support/cli_process.h"

namespace sonatag::test {

using PathsTest = CliTest;

TEST_F(PathsTest, TakesArgumentsThenTheListFromAFileOrStandardInputWalkingFoldersWithR) {
    for (const char* name : {"x.mp3", "a/2.mp3", "a/10.mp3", "a/sub/1.mp3", "a/.h.mp3", "new\nline.mp3"}) {
        std::filesystem::create_directories(std::filesystem::path(dir.file(name)).parent_path());
        MakeFile(name);
    }
    struct Case {
        std::vector<std::string> options;
        std::string list;  // in the file "list" and on standard input
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {{"-r", "a"}, "", {"a/2.mp3", "a/10.mp3", "a/sub/1.mp3"}},
        {{"--files-from", "list"}, "a/10.mp3\n\na/2.mp3", {"a/10.mp3", "a/2.mp3"}},
        {{"x.mp3", "--files-from=-"}, "a/2.mp3\n", {"x.mp3", "a/2.mp3"}},
        {{"-0", "--files-from", "-"}, std::string("new\nline.mp3\0a/2.mp3\0", 22), {"new\\nline.mp3", "a/2.mp3"}},
        {{"--null", "--files-from", "list", "-r"}, std::string("a/sub\0x.mp3", 11), {"a/sub/1.mp3", "x.mp3"}},
    };
    for (const auto& [options, list, shown] : cases) {
        WriteBytes(dir.file("list"), list);
        std::vector<std::string> arguments{"show"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const CliResult result = RunCli(arguments, dir.path().string(), list);
        std::string expected;
        for (const std::string& path : shown) expected += path + ": no tag\n";
        EXPECT_EQ(result.exitCode, 0) << options[0] << result.err;
        EXPECT_EQ(result.out, expected) << options[0];
    }
}

TEST_F(PathsTest, FilesAreReachedFromTheirFoldersThroughLinksAndRelativeNames) {
    for (const char* folder : {"a", "b"}) std::filesystem::create_directory(dir.file(folder));
    MakeFile("a/x.mp3", TagBlock("x", "", ""));
    MakeFile("b/y.mp3", TagBlock("y", "", ""));
    MakeFile("w.mp3", TagBlock("w", "", ""));
    std::filesystem::create_directory_symlink("b", dir.file("link"));
    const CliResult result =
        RunCli({"show", "a/x.mp3", "b/y.mp3", "link/y.mp3", "w.mp3", "a/x.mp3", "a/../b/y.mp3"}, dir.path().string());
    std::string titles;
    for (std::size_t at = result.out.find("title \""); at != std::string::npos;
         at = result.out.find("title \"", at + 1))
        titles += result.out[at + 7];
    EXPECT_EQ(titles, "xyywxy") << result.out << result.err;
}

TEST_F(PathsTest, ManyJobsGiveTheSameOutputMessagesAndStatusAsOne) {
    for (const char* folder : {"d0", "d1", "d2"}) std::filesystem::create_directory(dir.file(folder));
    std::string list;
    for (int i = 0; i < 240; ++i) {  // in chunks of consecutive paths, each in another folder
        const std::string name = "d" + std::to_string(i % 3) + "/f" + std::to_string(i) + ".mp3";
        if (i % 7 != 3) MakeFile(name);  // every seventh is missing
        list += dir.file(name) + '\n';
    }
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"show", "--json"}, {"set", "--artist", "歌手😀", "--title-from-name"}}) {
        std::vector<std::string> sequential = command, parallel = command;
        sequential.insert(sequential.end(), {"--files-from", "-"});
        parallel.insert(parallel.end(), {"--files-from", "-", "--jobs=0"});
        const CliResult one = RunCli(sequential, "", list), many = RunCli(parallel, "", list);
        EXPECT_EQ(one.exitCode, 1);
        EXPECT_EQ(many.exitCode, one.exitCode) << command[0];
        EXPECT_EQ(many.out, one.out) << command[0];
        EXPECT_EQ(many.err, one.err) << command[0];
    }
    EXPECT_EQ(LastBlock(dir.file("d0/f0.mp3")).substr(0, 5), "TAGf0");
}

}  // namespace sonatag::test
