#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "tag/id3v2_file.h"
#include "tag/id3v2_layout.h"
#include "tag/id3v2_rewrite.h"
#include "tag/journal_undo.h"
#include "tag/second_reader.h"
#include "tag/tag_write.h"
#include "tests/support/id3v2_bytes.h"
#include "tests/support/test_files.h"

namespace sonatag {
namespace {

using namespace test;

std::string Gbk(std::string_view utf8) {
    return Encode(utf8, "GBK");
}

// Picture data with the bytes that unsynchronisation is about: 0xFF before a zero and before 0xE0.
std::string PicturePayload() {
    return std::string("\0image/png\0\x03\0\xFF\xD8\xFF\xE0\xFF\x00", 20) + std::string(300, '\x01');
}

// Undoes the journal's entries, the last first.
void Undo(const std::string& journal) {
    const std::vector<JournalEntry> entries = ReadJournal(journal);
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) RestoreEntry(*entry);
}

// Real MP3 files with an ID3v1 tag and, in front of the audio, the tag a case gives.
class Id3v2FileTest : public ::testing::Test {
protected:
    std::string MakeFile(std::string_view head, bool withV1 = true) {
        const std::string path = dir.file("song.mp3");
        WriteBytes(path, std::string(head) + audio + (withV1 ? v1 : ""));
        return path;
    }
    std::size_t FolderEntries() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
    }

    TempDir dir;
    const std::string audio = MakeMp3(dir.file("tone.mp3"));
    const std::string v1 = std::string("TAG") + std::string(30, 'a') + std::string(95, '\0');
    const std::string picture = Id3v2Frame("APIC", PicturePayload());
    const std::string comment = Id3v2Frame("COMM", std::string("\0eng\0a comment", 14));
    // The artist is not given: its frame stays as it lies.
    const TagUpdate update{"晴天", std::nullopt, "叶惠美"};
    const MirrorTexts mirror{"晴天", std::nullopt, "叶惠美"};
};

// The frames of a tag but those the mirror writes, each as it lies.
std::vector<std::string> FramesKept(std::string_view tag) {
    if (tag.empty()) return {};
    const Id3v2Layout layout(tag);
    const std::array<std::string, 3> ids = MirroredFrameIds(layout.version());
    std::vector<std::string> frames;
    for (const Id3v2FrameSpan& frame : layout.frames()) {
        if (frame.id != ids[0] && frame.id != ids[2]) frames.emplace_back(layout.Raw(frame));
    }
    return frames;
}

TEST_F(Id3v2FileTest, TheMirrorKeepsEveryOtherFrameAsItLiesInEveryLayout) {
    const std::string title = Id3v2Frame("TIT2", Latin1Payload("old"), 3, 0, '\x80');  // discarded on a change
    const std::string frames = title + picture + comment;
    const std::string v4Picture = Id3v2Frame("APIC", PicturePayload(), 4);
    const std::string unsynchronisedPicture =
        Id3v2Frame("APIC", std::string("\0\0\x02\x40", 4) + Unsynchronise(PicturePayload()), 4, '\x03');
    const std::string notSynchsafe = "APIC" + std::string("\0\0\x01\x40\0\0", 6) + PicturePayload();
    std::string footer = Id3v2TagBytes(4, v4Picture + Id3v2Frame("TIT2", Latin1Payload("old"), 4), 0, '\x10');
    footer += "3DI" + footer.substr(3, 7);
    const std::pair<const char*, std::string> cases[] = {
        {"no ID3v2 tag", ""},
        {"a zero-size frame", Id3v2TagBytes(3, Id3v2Frame("TCON", "") + frames, 64)},
        {"an extended header with a CRC",
         Id3v2TagBytes(3, std::string("\0\0\0\x0A\x80\0\0\0\0\x40\x12\x34\x56\x78", 14) + frames, 64, '\x40')},
        {"a frame ID readers do not take", Id3v2TagBytes(3, Id3v2Frame("T!T2", Latin1Payload("x")) + frames)},
        {"a flagged TENC and a UTF-16 TYER", Id3v2TagBytes(3,
                                                           Id3v2Frame("TENC", Latin1Payload("WMP"), 3, 0, '\x40') +
                                                               Id3v2Frame("TYER", Utf16Payload("2004")) + frames,
                                                           64)},
        {"version 2.2 with TXT",
         Id3v2TagBytes(2,
                       Id3v2Frame("TT2", Latin1Payload("old"), 2) + Id3v2Frame("TXT", Latin1Payload("lyricist"), 2) +
                           Id3v2Frame("PIC", PicturePayload(), 2),
                       32)},
        {"unsynchronised as a whole", Id3v2TagBytes(3, Unsynchronise(frames), 0, '\x80')},
        {"a 2.4 frame unsynchronised, with a data length",
         Id3v2TagBytes(4, unsynchronisedPicture + Id3v2Frame("TIT2", Latin1Payload("old"), 4), 100)},
        {"a 2.4 tag with a footer", footer},
        {"a 2.4 size that is not synchsafe",
         Id3v2TagBytes(4, notSynchsafe + Id3v2Frame("TALB", Latin1Payload("o"), 4))},
        {"encrypted and grouped frames",
         Id3v2TagBytes(
             3, Id3v2Frame("TPE1", "\x01secret", 3, '\x40') + Id3v2Frame("TCOM", "\x07\0x", 3, '\x20') + frames, 64)},
    };
    for (const auto& [name, tag] : cases) {
        const std::string path = MakeFile(tag);
        const std::string before = ReadBytes(path);
        {
            JournalWriter journal(dir.file("journal"));
            UpdateTagsWithMirror(path, update, mirror, &journal);
            journal.Sync();
        }
        const std::string after = ReadBytes(path);
        const std::string newTag = after.substr(0, Id3v2TagSize(after));
        EXPECT_EQ(newTag[3], tag.empty() ? 3 : tag[3]) << name;
        EXPECT_EQ(FramesKept(newTag), FramesKept(tag)) << name;
        EXPECT_TRUE(after.substr(newTag.size(), audio.size()) == audio) << name;
        const Id3v2Fields fields = ReadBothTags(path).id3v2.value_or(Id3v2Fields{});
        EXPECT_EQ(fields.title.text + fields.album.text, "晴天叶惠美") << name;
        // TagLib stops at a frame it cannot take, so a new title goes before it.
        const Id3v2Fields tagLib = ReadId3v2FieldsWithTagLib(newTag);
        EXPECT_EQ(tagLib.title.text + tagLib.album.text, "晴天叶惠美") << name;
        Undo(dir.file("journal"));
        EXPECT_TRUE(ReadBytes(path) == before) << name;
    }
}

TEST_F(Id3v2FileTest, ATagWhoseFramesCannotBeSplitWithCertaintyIsRefusedUntouched) {
    const std::string title = Id3v2Frame("TIT2", Latin1Payload("old"));
    const std::pair<std::string, std::string> cases[] = {
        {Id3v2TagBytes(3, "TIT2" + std::string("\0\0\0\x64\0\0\0old", 10)),
         "the frame TIT2 at byte 10 runs past the end of the ID3v2 tag"},
        {Id3v2TagBytes(3, title + "\x80\x81\x82\x83" + std::string(8, '\0')),
         "the ID3v2 tag holds bytes that are neither a frame nor padding at byte 24"},
        {Id3v2TagBytes(3, std::string("\0\0\0\x07", 4) + std::string(7, '\0') + title, 0, '\x40'),
         "the ID3v2 tag's extended header has a size, 7, that is neither 6 nor 10 at byte 10"},
        {Id3v2TagBytes(4, title, 0, '\x10') + std::string(10, 'x'), "the ID3v2 tag's footer is missing at byte 24"},
        {Id3v2TagBytes(3, title, 0, '\x01'), "the ID3v2 tag's header has flags of a kind not known at byte 5"},
        {Id3v2TagBytes(2, "", 10, '\x40'), "the ID3v2.2 tag is marked as compressed, which no reader can read"},
        {Id3v2TagBytes(3, title, 1 << 20).substr(0, 30), "the ID3v2 tag runs past the end of the file"},
    };
    for (const auto& [tag, reason] : cases) {
        const std::string path = MakeFile(tag);
        const std::string before = ReadBytes(path);
        for (const bool repair : {false, true}) {
            try {
                repair ? (void)RepairId3v2(path, false) : (void)UpdateTagsWithMirror(path, update, mirror);
                ADD_FAILURE() << reason;
            } catch (const FileError& error) {
                EXPECT_EQ(error.reason(), reason + "; left unchanged");
            }
        }
        EXPECT_TRUE(ReadBytes(path) == before) << reason;
    }
}

TEST_F(Id3v2FileTest, WritesInPlaceWhenItFitsAndRewritesOtherwise) {
    struct Case {
        const char* name;
        std::string head;
        bool hardLinked;
        HeadWrite expected;  // None: refused
    };
    const std::string frames = picture + Id3v2Frame("TIT2", Latin1Payload("old")) + comment;
    const Case cases[] = {
        {"room in the padding", Id3v2TagBytes(3, frames, 200), false, HeadWrite::InPlace},
        {"no room", Id3v2TagBytes(3, frames), false, HeadWrite::Rewritten},
        {"no room, hard-linked", Id3v2TagBytes(3, frames), true, HeadWrite::None},
        {"room, hard-linked", Id3v2TagBytes(4, Id3v2Frame("APIC", PicturePayload(), 4), 200), true, HeadWrite::InPlace},
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
        EXPECT_TRUE(written != HeadWrite::None || after == before) << c.name;
        EXPECT_TRUE(written != HeadWrite::InPlace || Id3v2TagSize(after) == c.head.size()) << c.name;
        EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640)) << c.name;
        EXPECT_EQ(FolderEntries(), c.hardLinked ? 3u : 2u) << c.name << ": no temporary file is left";
        std::filesystem::remove(dir.file("link.mp3"));
    }
}

TEST_F(Id3v2FileTest, ARewriteThroughASymbolicLinkReplacesItsTargetAndTheLinkStays) {
    const std::string target = MakeFile(Id3v2TagBytes(3, picture)), link = dir.file("link.mp3");
    const std::string before = ReadBytes(target);
    std::filesystem::create_symlink("song.mp3", link);
    JournalWriter journal(dir.file("journal"));
    EXPECT_EQ(UpdateTagsWithMirror(link, update, mirror, &journal).id3v2, HeadWrite::Rewritten);
    journal.Sync();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBothTags(target).id3v2.value().title.text, "晴天");
    Undo(dir.file("journal"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(ReadBytes(target) == before);
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
        const std::string path = MakeFile(c.head, c.withV1);
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
        EXPECT_EQ(FolderEntries(), 2u) << c.name;
    }
}

TEST_F(Id3v2FileTest, ACrashBeforeTheRenameLeavesTheOriginal) {
    const std::string path = MakeFile(Id3v2TagBytes(3, picture));
    const std::string before = ReadBytes(path);
    RunInChild([&] {
        const LockedFile file = OpenLocked(path, Access::Write);
        const std::string head = Id3v2TagBytes(3, "", 100);
        RewriteFile(path, file, {head, static_cast<off_t>(Id3v2TagSize(before)), file.length, ""},
                    [](const std::string&) { ::_exit(0); });
        return std::string("not stopped");
    });
    EXPECT_TRUE(ReadBytes(path) == before);
    EXPECT_EQ(UpdateTagsWithMirror(path, update, mirror).id3v2, HeadWrite::Rewritten);
}

// Repair converts frames whose content lies plainly, in their places with their flags, and
// leaves those that are encrypted, compressed or grouped; show marks just what it converts.
TEST_F(Id3v2FileTest, RepairRewritesOnlyTheTextOfTheFramesItConverts) {
    const std::string encrypted = Id3v2Frame("TIT2", "\x01" + Latin1Payload(Gbk("晴天")), 3, '\x40');
    const std::string discarded = Id3v2Frame("TPE1", Latin1Payload(Gbk("周杰伦")), 3, 0, '\x80');
    const std::string grouped = Id3v2Frame("TALB", "\x07" + Latin1Payload(Gbk("叶惠美")), 3, '\x20');
    const std::string path = MakeFile(Id3v2TagBytes(3, encrypted + discarded + picture + grouped, 64));
    EXPECT_EQ(ReadBothTags(path).id3v2.value().artist.asGbk, "周杰伦");
    EXPECT_EQ(ReadBothTags(path).id3v2.value().album.asGbk, "");
    const RepairOutcome outcome = RepairId3v2(path, false);
    ASSERT_EQ(outcome.repairs.size(), 1u);
    EXPECT_EQ(outcome.repairs[0].frameId + outcome.repairs[0].after, "TPE1周杰伦");
    const std::string tag = ReadBytes(path).substr(0, Id3v2TagSize(ReadBytes(path)));
    const Id3v2Layout layout(tag);
    ASSERT_EQ(layout.frames().size(), 4u);
    EXPECT_EQ(layout.Raw(layout.frames()[0]), encrypted);
    EXPECT_EQ(layout.frames()[1].statusFlags, 0x80);
    EXPECT_EQ(layout.Raw(layout.frames()[2]), picture);
    EXPECT_EQ(layout.Raw(layout.frames()[3]), grouped);
    EXPECT_TRUE(RepairId3v2(path, false).repairs.empty());
}

// Each set of texts as the ISO-8859-1 title, artist and album of one tag: converted only
// where they are GBK.
TEST(Id3v2TextTest, RepairConvertsOnlyGbk) {
    struct Case {
        const char* charset;
        std::vector<std::string> texts;
        bool converted;
    };
    const Case cases[] = {
        {"GBK", {"晴天", "周杰伦", "叶惠美"}, true},
        {"GBK", {"月亮代表我的心", "邓丽君"}, true},
        {"GBK", {"十年", "陈奕迅"}, true},
        {"BIG5", {"甜蜜蜜"}, false},
        {"BIG5", {"童話"}, false},
        {"BIG5", {"寧夏"}, false},
        {"BIG5", {"彩虹"}, false},
        {"EUC-KR", {"사랑해"}, false},
        {"EUC-KR", {"아리랑"}, false},
        {"EUC-KR", {"강남스타일"}, false},
        {"EUC-KR", {"너를 위해"}, false},
        {"SHIFT_JIS", {"桜の花"}, false},
        {"SHIFT_JIS", {"千本桜"}, false},
        {"SHIFT_JIS", {"世界に一つだけの花"}, false},
        {"ISO-8859-1", {"Ñú", "Öß", "ÀÉ ÎÕ"}, false},
        {"ISO-8859-1", {"Mädchen", "Björk", "Noël"}, false},
        {"ISO-8859-1", {"Coração", "MÜNCHEN"}, false},
        {"", {"\xC7\xE7\xCC\xEC", "\xA2\xA1"}, false},  // 晴天, and a pair GB2312 leaves empty
    };
    const char* ids[] = {"TIT2", "TPE1", "TALB"};
    for (const Case& c : cases) {
        std::string frames;
        for (std::size_t i = 0; i < c.texts.size(); ++i) {
            const std::string bytes = *c.charset == '\0' ? c.texts[i] : Encode(c.texts[i], c.charset);
            frames += Id3v2Frame(ids[i], Latin1Payload(bytes));
        }
        const std::string tag = Id3v2TagBytes(3, frames);
        std::vector<std::string> converted;
        for (const MislabelledFrame& frame : MislabelledFrames(Id3v2Layout(tag)))
            converted.push_back(frame.repair.after);
        EXPECT_EQ(converted, c.converted ? c.texts : std::vector<std::string>{}) << c.texts[0];
    }
}

TEST(Id3v2TextTest, TagLibReadsTheFramesSonatagWritesAndNamesThoseItWouldNoLongerFind) {
    for (const int version : {2, 3, 4}) {
        const std::string empty = Id3v2TagBytes(version, ""), text = "晴天 Björk 😀";
        const std::string tag = Id3v2Layout(empty).Splice({{{MirroredFrameIds(version)[0], Utf16TextBody(text)}}, {}});
        EXPECT_EQ(ReadId3v2FieldsWithTagLib(tag).title.text, text) << version;
    }
    const std::string title = Id3v2Frame("TIT2", Latin1Payload("t")), year = Id3v2Frame("TYER", Latin1Payload("2004"));
    const std::string before = Id3v2TagBytes(3, title + year), after = Id3v2TagBytes(3, title);
    EXPECT_EQ(FramesTagLibLoses(before, after, {}), std::vector<std::string>{"TDRC"});  // TagLib's name for TYER
    EXPECT_TRUE(FramesTagLibLoses(before, Id3v2TagBytes(3, year), std::vector<std::string>{"TIT2"}).empty());
}

}  // namespace
}  // namespace sonatag
