
#include "tests/support/cli_process.h"

namespace sonatag::test {

class JournalCliTest : public CliTest {
protected:
    // A tagged file, an untagged one and one too short for a tag.
    std::vector<std::string> files = {MakeFile("a.mp3", TagBlock("\xc7\xe7\xcc\xec", "x", "y")), MakeFile("b.mp3"),
                                      dir.file("c.mp3")};
    std::vector<std::string> before;
    std::string journal = dir.file("journal");

    void SetUp() override {
        WriteBytes(files[2], "short");
        before = Contents();
    }
    std::vector<std::string> Contents() const {
        std::vector<std::string> now;
        for (const std::string& file : files) now.push_back(ReadBytes(file));
        return now;
    }
    CliResult Run(std::vector<std::string> arguments) const {
        arguments.insert(arguments.end(), files.begin(), files.end());
        return RunCli(arguments);
    }
};

TEST_F(JournalCliTest, UndoRestoresWhatSetWroteAndNamesWhatChangedSince) {
    EXPECT_EQ(Run({"set", "--journal", journal, "--artist", "z"}).exitCode, 1);
    const CliResult undone = RunCli({"undo", journal});
    EXPECT_EQ(undone.exitCode, 0) << undone.err;
    EXPECT_EQ(undone.out, "restored 2 files, left 0 alone\n");
    EXPECT_EQ(Contents(), before);

    Run({"set", "--journal", journal, "--title", "t"});
    WriteBytes(files[1], ReadBytes(files[1]) + "changed");
    const CliResult refused = RunCli({"undo", journal});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "sonatag-cli: " + files[1] + ": changed since it was written; left alone\n");
    EXPECT_EQ(ReadBytes(files[0]), before[0]);
}

TEST_F(JournalCliTest, DryRunPrintsEachChangeAndWritesNothing) {
    const CliResult result = Run({"set", "--dry-run", "--title", "\xe9\x9b\xa8", "--album", "y"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, files[0] + ": title: \"\xe6\x99\xb4\xe5\xa4\xa9\" \xe2\x86\x92 \"\xe9\x9b\xa8\"\n" +  //
                              files[1] + ": no tag; one would be added\n" +                                     //
                              files[1] + ": title: \"\" \xe2\x86\x92 \"\xe9\x9b\xa8\"\n" +                      //
                              files[1] + ": album: \"\" \xe2\x86\x92 \"y\"\n");
    EXPECT_NE(result.err.find(files[2] + ": shorter than 128 bytes"), std::string::npos) << result.err;
    EXPECT_EQ(Contents(), before);
    // Without its journal set writes nothing.
    EXPECT_EQ(Run({"set", "--journal", dir.file("none/journal"), "--title", "t"}).exitCode, 1);
    EXPECT_EQ(Contents(), before);
}

}  // namespace sonatag::test
