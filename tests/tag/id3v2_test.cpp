#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "tag/cp936.h"
#include "tag/gbk_guess.h"
#include "tag/id3v2_file.h"
#include "tag/id3v2_tag.h"
#include "tests/support/id3v2_bytes.h"
#include "tests/support/test_files.h"

namespace sonatag {
namespace {

using namespace test;

std::string Gbk(std::string_view utf8) {
    return Utf8ToCp936(utf8).bytes;
}

// Latin-1 titles (’ as code page 1252 stores it) that must never be taken for GBK.
const std::vector<std::string> kLatinTitles = {"M\344dchen",      "Bj\366rk",   "No\353l",    "Cora\347\343o",
                                               "Can\347\365es",   "D\351\347u", "M\334NCHEN", "Caf\351 del Mar",
                                               "\300 bient\364t", "Don\222t"};

TEST(GbkGuessTest, TellsChineseTitlesFromLatinOnes) {
    for (const std::string& title : kLatinTitles) EXPECT_FALSE(WeighGbk(title).convincing) << title;
    for (const char* title : {"晴天", "七里香", "爱", "东风破", "K歌之王", "青花瓷 (Live)", "2004 无与伦比演唱会"})
        EXPECT_TRUE(WeighGbk(Gbk(title)).convincing) << title;
    // One Chinese character among Latin letters is too little to be sure.
    EXPECT_FALSE(WeighGbk(Gbk("Love 你")).convincing);
}

// Title and artist frames read from tags of each version and layout: name, tag, version, plain.
TEST(Id3v2TagTest, ReadsEveryVersionAndLayout) {
    const std::string v3Frames =
        Id3v2Frame("TIT2", Utf16Payload("晴天")) + Id3v2Frame("TPE1", Latin1Payload("Bj\xF6rk"));
    const std::string v4Frames =
        Id3v2Frame("TIT2", Utf16Payload("晴天"), 4) + Id3v2Frame("TPE1", Latin1Payload("Bj\xF6rk"), 4);
    const std::string v4Unsynced = Id3v2Frame("TIT2", Unsynchronise(Utf16Payload("晴天")), 4, '\x02') +
                                   Id3v2Frame("TPE1", Latin1Payload("Bj\xF6rk"), 4);
    const std::string extendedHeader = std::string("\0\0\0\x06\x01\x00", 6);
    const std::tuple<const char*, std::string, int, bool> cases[] = {
        {"v2.2",
         Id3v2TagBytes(2, Id3v2Frame("TT2", Utf16Payload("晴天"), 2) + Id3v2Frame("TP1", Latin1Payload("Bj\xF6rk"), 2),
                       20),
         2, false},
        {"v2.3", Id3v2TagBytes(3, v3Frames, 100), 3, true},
        {"v2.3 unsynchronised", Id3v2TagBytes(3, Unsynchronise(v3Frames), 0, '\x80'), 3, false},
        {"v2.4 with an extended header", Id3v2TagBytes(4, extendedHeader + v4Frames, 10, '\x40'), 4, false},
        {"v2.4 frame unsynchronised", Id3v2TagBytes(4, v4Unsynced), 4, false},
    };
    for (const auto& [name, tagBytes, version, isPlain] : cases) {
        ASSERT_EQ(Id3v2TagSize(tagBytes), tagBytes.size()) << name;
        const Id3v2Fields fields = Id3v2Tag(tagBytes).Fields();
        EXPECT_EQ(fields.version, version) << name;
        EXPECT_EQ(fields.title.text + fields.artist.text, "晴天Björk") << name;
        EXPECT_FALSE(fields.album.present) << name;
        // A plainly laid out tag is read frame by frame, to the same result.
        const std::optional<Id3v2Fields> plain = ReadPlainFields(tagBytes);
        EXPECT_EQ(plain.has_value(), isPlain) << name;
        EXPECT_TRUE(!plain || plain->title.text + plain->artist.text == "晴天Björk") << name;

        // Written back, the tag keeps its version (2.2 becomes 2.3) and every frame.
        Id3v2Tag tag(tagBytes);
        tag.SetTexts({std::nullopt, std::nullopt, "专辑"});
        const std::string frames = tag.RenderFrames();
        const Id3v2Fields back = Id3v2Tag(ComposeId3v2Tag(version, frames, 10 + frames.size())).Fields();
        EXPECT_EQ(back.version, version == 2 ? 3 : version) << name;
        EXPECT_EQ(back.title.text + back.artist.text + back.album.text, "晴天Björk专辑") << name;
    }
}

TEST(Id3v2TagTest, MislabelledFramesAreJudgedTogether) {
    // The ISO-8859-1 texts of TIT2, TPE1 and TALB, and the IDs of the frames to repair.
    const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
        {{Gbk("晴天"), "Bj\xF6rk", "Jay"}, {"TIT2"}},
        {{Gbk("晴天"), Gbk("周杰伦"), Gbk("叶惠美")}, {"TIT2", "TPE1", "TALB"}},
        {{Gbk("晴天"), Gbk("Love 你"), "x"}, {"TIT2", "TPE1"}},  // made sure by its neighbour
        {{Gbk("Love 你"), "a", "b"}, {}},                        // unsure: left alone
        {{Gbk("晴天"), "\xFF\xFF", "b"}, {}},                    // a frame that is not GBK at all
        {{"M\344dchen", "No\353l", "D\351\347u"}, {}},
    };
    for (const auto& [texts, repaired] : cases) {
        const std::string tag =
            Id3v2TagBytes(3, Id3v2Frame("TIT2", Latin1Payload(texts[0])) + Id3v2Frame("TPE1", Latin1Payload(texts[1])) +
                                 Id3v2Frame("TALB", Latin1Payload(texts[2])));
        std::vector<std::string> ids;
        for (const FrameRepair& repair : Id3v2Tag(tag).MislabelledFrames()) ids.push_back(repair.frameId);
        EXPECT_EQ(ids, repaired) << texts[0] << " " << texts[1];
    }
}

TEST(Id3v2TagTest, ReadingNeverTrustsTheBytes) {
    const std::string tags[] = {
        Id3v2TagBytes(4, Id3v2Frame("TIT2", Utf16Payload("晴 天"), 4) +
                             Id3v2Frame("APIC", std::string("\0image/png\0\x03\0\x89PNG", 16), 4) +
                             Id3v2Frame("TPE1", Latin1Payload(Gbk("周杰伦")), 4)),
        Id3v2TagBytes(3, Id3v2Frame("TDAT", Latin1Payload(Gbk("晴天"))) +
                             Id3v2Frame("TALB", Latin1Payload(Gbk("Love 你"))) + Id3v2Frame("TIT2", "\3Bj\xC3\xB6rk") +
                             Id3v2Frame("TPE1", std::string("\x02\x66\x34\xD8\x3D\xDE\x00", 7))),
        Id3v2TagBytes(3, Id3v2Frame("TCON", "") + Id3v2Frame("TIT2", Latin1Payload("after an empty frame"))),
    };
    // A tag that is read frame by frame reads as TagLib reads it whole.
    auto read = [](const std::string& bytes) {
        ExerciseId3v2Reading(bytes);
        const std::optional<Id3v2Fields> plain =
            !bytes.empty() && Id3v2TagSize(bytes) == bytes.size() ? ReadPlainFields(bytes) : std::nullopt;
        EXPECT_TRUE(!plain || *plain == Id3v2Tag(bytes).Fields());
    };
    for (const std::string& good : tags) {
        for (std::size_t cut = 0; cut <= good.size(); ++cut) read(good.substr(0, cut));
        for (std::size_t at = 3; at < good.size(); ++at) {
            for (const char value : {'\0', '\x7F', '\x80', '\xFF'}) {
                std::string bad = good;
                bad[at] = value;
                read(bad);
            }
        }
    }
}

// The mirror's frames, written without TagLib, are byte for byte those TagLib renders.
TEST(Id3v2TagTest, MirrorFramesAreTheOnesTagLibRenders) {
    for (const int version : {3, 4}) {
        for (const std::string& title : {std::string("晴天"), std::string("Björk 😀"), std::string(70, 'x')}) {
            const MirrorTexts texts{title, std::nullopt, "专辑"};
            Id3v2Tag tag(Id3v2TagBytes(version, ""));
            tag.SetTexts(texts);
            EXPECT_EQ(PlainFramesWithTexts(Id3v2TagBytes(version, ""), texts), tag.RenderFrames()) << title;
        }
    }
}

// Real MP3 files with an ID3v1 tag and, in front of the audio, the tag a case gives.
class Id3v2FileTest : public ::testing::Test {
protected:
    std::string MakeFile(std::string_view head) {
        const std::string path = dir.file("song.mp3");
        WriteBytes(path, std::string(head) + audio + v1);
        return path;
    }
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            names.push_back(entry.path().filename());
        return names;
    }

    TempDir dir;
    const std::string audio = MakeMp3(dir.file("tone.mp3"));
    const std::string v1 = std::string("TAG") + std::string(30, 'a') + std::string(95, '\0');
    static std::string Picture(int version = 3) {
        return Id3v2Frame("APIC", std::string("\0image/png\0\x03\0\x89PNG\r\n", 18) + std::string(300, '\x5A'),
                          version);
    }
    const std::string picture = Picture();
    const std::string comment = Id3v2Frame("COMM", std::string("\0eng\0a comment", 14));
    const TagUpdate update{"晴天", std::nullopt, "叶惠美"};
    const MirrorTexts mirror{"晴天", "周杰伦", "叶惠美"};
};

TEST_F(Id3v2FileTest, WritesInPlaceWhenItFitsAndRewritesOtherwise) {
    struct Case {
        const char* name;
        std::string head;
        bool hardLinked;
        HeadWrite expected;  // None: refused
    };
    const std::string frames = picture + Id3v2Frame("TIT2", Latin1Payload("old")) + comment;
    const std::string v1Path = dir.file("v1only.mp3");
    WriteBytes(v1Path, audio + v1);
    UpdateTagFields(v1Path, update);
    const std::string v1Written = ReadBytes(v1Path).substr(audio.size());  // as an ID3v1-only write leaves it
    std::filesystem::remove(v1Path);
    const Case cases[] = {
        {"no ID3v2 tag", "", false, HeadWrite::Rewritten},
        {"room in the padding", Id3v2TagBytes(3, frames, 200), false, HeadWrite::InPlace},
        {"no room", Id3v2TagBytes(3, frames), false, HeadWrite::Rewritten},
        {"unsynchronised, room", Id3v2TagBytes(3, frames, 200, '\x80'), false, HeadWrite::InPlace},
        {"no room, hard-linked", Id3v2TagBytes(3, frames), true, HeadWrite::None},
        {"room, hard-linked", Id3v2TagBytes(4, Picture(4) + comment, 200), true, HeadWrite::InPlace},
    };
    for (const Case& c : cases) {
        const std::string path = MakeFile(c.head);
        std::filesystem::permissions(path, std::filesystem::perms(0640));
        const std::string before = ReadBytes(path);
        if (c.hardLinked) std::filesystem::create_hard_link(path, dir.file("link.mp3"));
        HeadWrite written = HeadWrite::None;
        try {
            written = UpdateTagsWithMirror(path, update, mirror).id3v2;
        } catch (const FileError& error) {
            EXPECT_NE(std::string(error.what()).find("hard links"), std::string::npos) << c.name << error.what();
        }
        EXPECT_EQ(written, c.expected) << c.name;
        const std::string after = ReadBytes(path);
        if (written == HeadWrite::None) {
            EXPECT_TRUE(after == before) << c.name;
        } else {
            // The audio and the other frames are kept byte for byte; ID3v1 is written as alone.
            const std::size_t tagSize = Id3v2TagSize(after);
            EXPECT_TRUE(written != HeadWrite::InPlace || tagSize == c.head.size()) << c.name;
            EXPECT_TRUE(after.substr(tagSize, audio.size()) == audio) << c.name;
            const std::string frames = after.substr(0, tagSize);
            const bool keptOthers =
                c.head.empty() || (frames.find(c.head.substr(10, picture.size())) != std::string::npos &&
                                   frames.find(comment) != std::string::npos);
            EXPECT_TRUE(keptOthers) << c.name;
            const Id3v2Fields fields = Id3v2Tag(after.substr(0, tagSize)).Fields();
            EXPECT_EQ(fields.title.text + fields.artist.text + fields.album.text, "晴天周杰伦叶惠美") << c.name;
            EXPECT_EQ(after.substr(after.size() - 128), v1Written) << c.name;
        }
        EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640)) << c.name;
        EXPECT_EQ(FolderEntries().size(), c.hardLinked ? 3u : 2u) << c.name << ": no temporary file is left";
        std::filesystem::remove(dir.file("link.mp3"));
    }
}

TEST_F(Id3v2FileTest, AFailedWriteLeavesTheFileAsItWas) {
    struct Case {
        const char* name;
        std::string head;
        bool withV1;
    };
    const Case cases[] = {
        {"in place, the ID3v1 append fails", Id3v2TagBytes(3, picture, 300), false},
        {"rewrite, the new file cannot grow", Id3v2TagBytes(3, picture), true},
    };
    for (const Case& c : cases) {
        const std::string path = dir.file("song.mp3");
        WriteBytes(path, c.head + audio + (c.withV1 ? v1 : ""));
        const std::string before = ReadBytes(path);
        const std::string result = RunInChild([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlim_t limit = before.size();
            const rlimit fileSize{limit, limit};
            if (::setrlimit(RLIMIT_FSIZE, &fileSize) != 0) return std::string("setrlimit failed");
            try {
                UpdateTagsWithMirror(path, update, mirror);
            } catch (const FileError& error) {
                return std::string(error.what());
            }
            return std::string("written");
        });
        EXPECT_EQ(result.rfind(path + ": ", 0), 0u) << c.name << ": " << result;
        EXPECT_TRUE(ReadBytes(path) == before) << c.name;
        EXPECT_EQ(FolderEntries().size(), 2u) << c.name;
    }
}

TEST_F(Id3v2FileTest, ACrashBeforeTheRenameLeavesTheOriginal) {
    const std::string path = MakeFile(Id3v2TagBytes(3, picture));
    const std::string before = ReadBytes(path);
    RunInChild([&] {
        SetRewriteHookForTesting([](const std::string&) { ::_exit(0); });
        UpdateTagsWithMirror(path, update, mirror);
        return std::string("not stopped");
    });
    EXPECT_TRUE(ReadBytes(path) == before);
    EXPECT_EQ(UpdateTagsWithMirror(path, update, mirror).id3v2, HeadWrite::Rewritten);
}

TEST_F(Id3v2FileTest, UndoFromTheJournalPutsEveryByteBack) {
    struct Case {
        const char* name;
        std::string head;
        bool withV1;
        bool changedSince;
    };
    const Case cases[] = {
        {"in place", Id3v2TagBytes(3, picture + comment, 400), true, false},
        {"rewritten, ID3v1 appended", Id3v2TagBytes(3, picture), false, false},
        {"no ID3v2 before", "", true, false},
        {"changed since", Id3v2TagBytes(3, picture), true, true},
    };
    for (const Case& c : cases) {
        const std::string path = dir.file("song.mp3");
        WriteBytes(path, c.head + audio + (c.withV1 ? v1 : ""));
        const std::string before = ReadBytes(path);
        {
            JournalWriter journal(dir.file("journal"));
            UpdateTagsWithMirror(path, update, mirror, &journal);
            journal.Sync();
        }
        const std::string written = ReadBytes(path);
        if (c.changedSince) UpdateTagsWithMirror(path, {"again", {}, {}}, {"again", {}, {}});
        const std::string changed = ReadBytes(path);
        const std::vector<JournalEntry> entries = ReadJournal(dir.file("journal"));
        ASSERT_EQ(entries.size(), 2u) << c.name;
        for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
            EXPECT_EQ(RestoreEntry(*entry), c.changedSince ? RestoreOutcome::Changed : RestoreOutcome::Restored)
                << c.name;
        }
        EXPECT_TRUE(ReadBytes(path) == (c.changedSince ? changed : before)) << c.name;
        EXPECT_FALSE(written == before) << c.name;
    }
}

TEST_F(Id3v2FileTest, RepairConvertsOnlyMislabelledFrames) {
    const std::string path = MakeFile(Id3v2TagBytes(
        3, Id3v2Frame("TIT2", Latin1Payload(Gbk("晴天"))) + Id3v2Frame("TPE1", Latin1Payload("Bj\xF6rk")) + picture,
        100));
    const std::string before = ReadBytes(path);
    const RepairOutcome dryRun = RepairId3v2(path, true);
    ASSERT_EQ(dryRun.repairs.size(), 1u);
    EXPECT_EQ(dryRun.repairs[0].before, "ÇçÌì");
    EXPECT_EQ(dryRun.repairs[0].after, "晴天");
    EXPECT_TRUE(ReadBytes(path) == before);

    EXPECT_EQ(RepairId3v2(path, false).id3v2, HeadWrite::InPlace);
    const Id3v2Fields fields = ReadBothTags(path).id3v2.value();
    EXPECT_EQ(fields.title.text + fields.artist.text, "晴天Björk");
    EXPECT_TRUE(RepairId3v2(path, false).repairs.empty());
}

}  // namespace
}  // namespace sonatag
