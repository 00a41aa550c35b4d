#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/cli_process.h"
#include "tests/support/id3v2_bytes.h"

namespace sonatag::test {
namespace {

class Id3v2CliTest : public CliTest {
protected:
    // 晴天 in GBK labelled ISO-8859-1 and an ASCII artist, with room to repair in place.
    const std::string mislabelled = Id3v2TagBytes(
        3, Id3v2Frame("TIT2", Latin1Payload("\xC7\xE7\xCC\xEC")) + Id3v2Frame("TPE1", Latin1Payload("Jay")), 64);
    const std::string latin1 = Id3v2TagBytes(4, Id3v2Frame("TIT2", Latin1Payload("No\xEBl"), 4));

    // A file with head before the audio and tail after it.
    std::string MakeTagged(std::string_view name, std::string_view head, std::string_view tail = "") {
        const std::string path = dir.file(name);
        WriteBytes(path, std::string(head) + audio + std::string(tail));
        return path;
    }
};

TEST_F(Id3v2CliTest, ShowNamesBothTagsAndMarksMislabelledFrames) {
    const std::string a = MakeTagged("a.mp3", mislabelled, TagBlock("v1", "", ""));
    const std::string b = MakeFile("b.mp3");
    const std::string c = MakeTagged("c.mp3", Id3v2TagBytes(3, "", 1 << 20).substr(0, 10));  // runs past the end

    const CliResult plain = RunCli({"show", "--id3v2", a, b, c});
    EXPECT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(plain.out, a + ": title \"v1\", artist \"\", album \"\"\n" + a +
                             ": ID3v2.3: title \"ÇçÌì\" (GBK labelled ISO-8859-1: \"晴天\"), artist \"Jay\"\n" + b +
                             ": no tag\n" + b + ": no ID3v2 tag\n" + c + ": no tag\n" + c +
                             ": the ID3v2 tag cannot be read: the ID3v2 tag runs past the end of the file\n");

    const CliResult json = RunCli({"show", "--json", "--id3v2", a, b});
    EXPECT_EQ(json.out,
              "{\"path\": \"" + a +
                  "\", \"status\": \"found\", \"title\": \"v1\", \"artist\": \"\", \"album\": \"\", \"id3v2\": "
                  "{\"version\": \"2.3\", \"title\": \"ÇçÌì\", \"title_gbk\": \"晴天\", \"artist\": \"Jay\"}}\n"
                  "{\"path\": \"" +
                  b + "\", \"status\": \"notag\", \"id3v2\": null}\n");
}

// The tag layer tests the writes and their undo; here only the commands' wiring.
TEST_F(Id3v2CliTest, SetAndRepairReachBothTagsAndSayWhatTheyChange) {
    const std::string a = MakeTagged("a.mp3", mislabelled);
    const std::string b = MakeTagged("b.mp3", latin1, TagBlock("x", "y", "z"));
    const std::string before = ReadBytes(a);
    const std::string repairs = a + ": TIT2: \"ÇçÌì\" → \"晴天\"\n" + b + ": nothing to repair\n";
    EXPECT_EQ(RunCli({"repair", "--dry-run", a, b}).out, repairs);
    EXPECT_TRUE(ReadBytes(a) == before);
    EXPECT_EQ(RunCli({"repair", a, b}).out, repairs);
    EXPECT_EQ(RunCli({"repair", "--id3v2", a}).exitCode, 2);
    // An ID3v1 write says once when players will go on showing the ID3v2 tag's other texts.
    EXPECT_EQ(RunCli({"set", "--title", "x", a, b}).err,
              "sonatag-cli: note: 2 files have an ID3v2 tag with another title, artist or album, which players show "
              "instead of the ID3v1 tag; set --id3v2 writes both\n");

    const CliResult set = RunCli({"set", "--id3v2", "--title", " 七里香 ", "--album", "专辑", b});
    EXPECT_EQ(set.exitCode, 0) << set.err;
    EXPECT_EQ(RunCli({"show", "--id3v2", b}).out, b + ": title \"七里香\", artist \"y\", album \"专辑\"\n" + b +
                                                      ": ID3v2.4: title \"七里香\", artist \"y\", album \"专辑\"\n");

    // The title a name gives is written in full into ID3v2; a GBK name is read as GBK.
    const std::string spanish = MakeTagged("Año.mp3", ""), chinese = MakeTagged("\xC7\xE7\xCC\xEC.mp3", "");
    const std::string shown = dir.file("\\xc7\\xe7\\xcc\\xec.mp3");
    EXPECT_EQ(RunCli({"set", "--id3v2", "--title-from-name", spanish, chinese}).exitCode, 0);
    EXPECT_EQ(RunCli({"show", "--id3v2", spanish, chinese}).out,
              spanish + ": title \"A?o\", artist \"\", album \"\"\n" + spanish + ": ID3v2.3: title \"Año\"\n" + shown +
                  ": title \"晴天\", artist \"\", album \"\"\n" + shown + ": ID3v2.3: title \"晴天\"\n");
}

TEST_F(Id3v2CliTest, UndoNamesAFileThatChangedSinceOnce) {
    const std::string a = MakeTagged("a.mp3", mislabelled), journal = dir.file("journal");
    EXPECT_EQ(RunCli({"set", "--id3v2", "--journal", journal, "--title", "t", a}).exitCode, 0);
    WriteBytes(a, ReadBytes(a) + "changed");
    const CliResult undone = RunCli({"undo", journal});
    EXPECT_EQ(undone.err, "sonatag-cli: " + a + ": changed since it was written; left alone\n");
    EXPECT_EQ(undone.out, "restored 0 files, left 1 alone\n");
}

}  // namespace
}  // namespace sonatag::test
