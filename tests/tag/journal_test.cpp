#include "tag/journal.h"

#include <sys/stat.h>

#include <limits>

#include "tag/journal_undo.h"
#include "tag/tag_batch.h"
#include "tests/support/test_files.h"

namespace sonatag::test {
namespace {

const std::string kAudio(1000, '\x55');

std::string Block(const std::string& title) {
    std::string block = "TAG" + title;
    block.resize(128, ' ');
    return block;
}

// The files of a batch as they are before it: tagged, untagged (the block is appended) and too
// short, the same file twice under two names.
struct BatchFixture {
    TempDir dir;
    std::vector<std::string> before = {kAudio + Block("one"), kAudio, "short", kAudio + Block("four")};
    std::vector<BatchFile> files;

    BatchFixture() {
        for (std::size_t at = 0; at < before.size(); ++at) {
            files.push_back({dir.file(std::to_string(at)), {"new", std::nullopt, "album"}});
            WriteBytes(files.back().path, before[at]);
        }
        files.push_back({dir.path() / "." / "3", {std::nullopt, "artist", std::nullopt}});
    }
    std::string journal() const { return dir.file("journal"); }
    void Write(
        std::size_t count, const BatchCallback& onFile = [](const BatchFileResult&) { return true; }) {
        JournalWriter writer(journal());
        WriteTagBatch(std::span(files).first(count), &writer, onFile);
    }
    void ExpectAsBefore() const {
        for (std::size_t at = 0; at < before.size(); ++at) EXPECT_EQ(ReadBytes(files[at].path), before[at]) << at;
    }
};

// Undoes the journal's entries, the last first; their outcomes in the journal's order.
std::vector<RestoreOutcome> Replay(const std::string& journal) {
    const std::vector<JournalEntry> entries = ReadJournal(journal);
    std::vector<RestoreOutcome> outcomes(entries.size());
    for (std::size_t at = entries.size(); at-- > 0;) outcomes[at] = RestoreEntry(entries[at]);
    return outcomes;
}

TEST(JournalTest, RecordsEachOutcomeAndUndoesTheBatchByteForByte) {
    BatchFixture fixture;
    fixture.Write(5, [](const BatchFileResult& result) { return result.error == nullptr; });
    // The same file under two names gets both updates.
    EXPECT_EQ(LastBlock(fixture.files[3].path), TagBlock("new", "artist", "album", std::string(35, ' ')));
    using enum RestoreOutcome;
    EXPECT_EQ(Replay(fixture.journal()), (std::vector{Restored, Restored, NotWritten, Restored, Restored}));
    fixture.ExpectAsBefore();

    // The journal that a batch replaces is never written as a song.
    const std::vector<BatchFile> journalAsSong = {{fixture.journal(), {"new", "", ""}}};
    std::string refused;
    JournalWriter writer(fixture.journal());
    WriteTagBatch(std::span(journalAsSong), &writer, [&](const BatchFileResult& result) {
        refused = result.error ? result.error->reason() : "written";
        return true;
    });
    EXPECT_EQ(refused, "is the journal this command writes; left unchanged");
}

// A crash after the journal's sync and before the outcomes: only the entries are on the disk.
TEST(JournalTest, ReplayAfterACrashRestoresWhatWasWrittenAndLeavesTheRest) {
    for (const std::size_t crashAfter : {0u, 1u, 3u}) {
        BatchFixture fixture;
        const std::string snapshot = fixture.dir.file("at-crash");
        fixture.Write(4, [&](const BatchFileResult& result) {
            if (result.index == 0) std::filesystem::copy_file(fixture.journal(), snapshot);
            return result.index < crashAfter;
        });
        std::filesystem::rename(snapshot, fixture.journal());
        using enum RestoreOutcome;
        const RestoreOutcome second = crashAfter >= 1 ? Restored : AsBefore;
        const RestoreOutcome last = crashAfter >= 3 ? Restored : AsBefore;
        EXPECT_EQ(Replay(fixture.journal()), (std::vector{Restored, second, NotWritten, last})) << crashAfter;
        fixture.ExpectAsBefore();
    }
}

TEST(JournalTest, UndoLeavesAFileThatChangedSince) {
    for (const std::string& change : {kAudio + Block("other"), kAudio, std::string(100, 'x')}) {
        for (const std::size_t file : {0u, 1u}) {  // overwritten, appended
            BatchFixture fixture;
            fixture.Write(2);
            WriteBytes(fixture.files[file].path, change == kAudio ? ReadBytes(fixture.files[file].path) + "x" : change);
            const std::string changed = ReadBytes(fixture.files[file].path);
            EXPECT_EQ(RestoreEntry(ReadJournal(fixture.journal())[file]), RestoreOutcome::Changed) << file;
            EXPECT_EQ(ReadBytes(fixture.files[file].path), changed) << file;
        }
    }
}

TEST(JournalTest, ReadingKeepsWholeRecordsAndRefusesWhatItDoesNotKnow) {
    TempDir dir;
    const std::string path = dir.file("journal");
    const JournalEntry entry{JournalEntryKind::TailBlock, "/a\xff", 1000, Block("old"), Block("new")};
    {
        JournalWriter journal(path);
        journal.Add(entry);
        journal.SetOutcome(journal.Add(entry), JournalOutcome::Written);
        journal.Sync();
    }
    const std::string whole = ReadBytes(path), header = whole.substr(0, 12);
    JournalEntry written = entry;
    written.outcome = JournalOutcome::Written;
    EXPECT_EQ(ReadJournal(path), (std::vector{entry, written}));
    for (std::size_t cut = whole.size() - 6; cut < whole.size(); ++cut) {  // the outcome cut short
        WriteBytes(path, whole.substr(0, cut));
        EXPECT_EQ(ReadJournal(path), (std::vector{entry, entry})) << cut;
    }
    const std::string damaged[] = {"", "SONATAGX" + header.substr(8), "SONATAGJ" + std::string("\x02\0\0\0", 4),
                                   header + "E\x07" + std::string(20, '\0'), header + std::string("O\0\0\0\0\x01", 6)};
    for (const std::string& bytes : damaged) {
        WriteBytes(path, bytes);
        EXPECT_THROW(ReadJournal(path), JournalError) << testing::PrintToString(bytes);
    }
    ::mkfifo(dir.file("fifo").c_str(), 0600);  // neither opened nor read without end
    for (const std::string& notAFile : {dir.path().string(), dir.file("fifo"), std::string("/dev/zero")})
        EXPECT_THROW(ReadJournal(notAFile), JournalError) << notAFile;
    WriteBytes(path, "SONATAG");  // a journal is replaced, anything else left as it is
    EXPECT_THROW(JournalWriter{path}, JournalError);
    EXPECT_EQ(ReadBytes(path), "SONATAG");
}

// Entries that no real write leaves are refused one by one: numbers whose sums would overflow
// (the sanitizers of the test build see to that), and bytes that are not the tag or block their
// kind writes, which would have undo cut or empty a file that matches them.
TEST(JournalTest, UndoRefusesAnImpossibleEntry) {
    TempDir dir;
    const std::string song = kAudio + Block("x"), emptyTag("ID3\4\0\0\0\0\0\0", 10);
    WriteBytes(dir.file("song"), song);
    const std::int64_t largest = std::numeric_limits<std::int64_t>::max();
    const JournalEntry entries[] = {
        {JournalEntryKind::TailBlock, dir.file("song"), -128, Block("old"), Block("x")},
        {JournalEntryKind::TailBlock, dir.file("song"), 100, "", Block("x")},
        {JournalEntryKind::Id3v2Head, dir.file("song"), largest, emptyTag, emptyTag},
        {JournalEntryKind::Id3v2Head, dir.file("song"), 2, emptyTag, emptyTag},
        {JournalEntryKind::Id3v2Head, dir.file("song"), 0, "", song},
        {JournalEntryKind::TailBlock, dir.file("song"), 1000, "", song.substr(song.size() - 130, 128)},
    };
    for (const JournalEntry& entry : entries) {
        try {
            RestoreEntry(entry);
            ADD_FAILURE() << entry.lengthBefore;
        } catch (const FileError& error) {
            EXPECT_EQ(error.reason().rfind("its entry in the journal is damaged: ", 0), 0u) << error.reason();
        }
    }
    EXPECT_EQ(ReadBytes(dir.file("song")), kAudio + Block("x"));
}

}  // namespace
}  // namespace sonatag::test
