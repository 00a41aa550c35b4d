#include <sys/stat.h>

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "cli/file_runner.h"
#include "cli/path_source.h"
#include "cli/set_plan.h"
#include "cli/text_escaping.h"
#include "tag/cp936.h"
#include "tag/id3v1_tag.h"
#include "tag/tag_batch.h"

namespace sonatag::cli {

namespace {

void WarnAboutText(FileReport& report, std::string_view path, std::string_view field,
                   const std::optional<FieldText>& text) {
    if (!text) return;
    const std::string where = std::string(path) + ": " + std::string(field) + ": ";
    if (text->lossy) report.Warning(where + "a character that code page 936 cannot hold was written as '?'");
    if (text->cut()) {
        report.Warning(where + "the text is " + std::to_string(text->bytes.size()) +
                       " bytes in code page 936, more than the field's " + std::to_string(kFieldSize) +
                       "; it was cut to " + std::to_string(text->keptBytes));
    }
}

void AppendQuoted(std::string& out, std::string_view cp936) {
    out += '"';
    AppendDisplayText(out, Cp936ToUtf8(cp936));
    out += '"';
}

// One line for each field that would change: "PATH: title: "old" → "new"".
void AppendChanges(std::string& out, std::string_view path, const UpdatePreview& preview) {
    const std::pair<std::string_view, std::string TagFields::*> fields[] = {
        {"title", &TagFields::title}, {"artist", &TagFields::artist}, {"album", &TagFields::album}};
    std::string where;
    AppendDisplayText(where, path);
    if (preview.before == ReadOutcome::NoTag) out += where + ": no tag; one would be added\n";
    bool changed = preview.before == ReadOutcome::NoTag;
    for (const auto& [name, member] : fields) {
        if (preview.oldFields.*member == preview.newFields.*member) continue;
        changed = true;
        out += where + ": " + std::string(name) + ": ";
        AppendQuoted(out, preview.oldFields.*member);
        out += " \u2192 ";
        AppendQuoted(out, preview.newFields.*member);
        out += '\n';
    }
    if (!changed) out += where + ": no change\n";
}

void PreviewFile(const Arguments& arguments, const PreparedTexts& texts, const std::string& path, FileReport& report) {
    try {
        const FileTexts file = TextsForFile(texts, path);
        const UpdatePreview preview = PreviewUpdate(path, file.update);
        if (preview.before == ReadOutcome::TooShort) {
            report.Error(TooShortMessage(path, "would be left unchanged"));
            return;
        }
        AppendChanges(report.out, path, preview);
        if (arguments.id3v2) AppendMirrorPreview(report.out, path, file);
    } catch (const FileError& error) {
        report.Error(error.what());
    }
}

// Writes the paths a group at a time through WriteTagBatch, so that each file's entry is in
// the journal, and on the disk, before the file changes; one sync serves a whole group.
class JournaledSet : public PathSink {
public:
    JournaledSet(const Arguments& arguments, const PreparedTexts& texts, Console& console,
                 std::atomic<int>& playersShowOther)
        : texts_(texts), console_(console), journal_(*arguments.journal), playersShowOther_(playersShowOther) {}

    bool Submit(std::string path) override {
        FileTexts file = TextsForFile(texts_, path);
        batch_.push_back({std::move(path), file.update});
        files_.push_back(std::move(file));
        if (batch_.size() == kGroupSize) WriteBatch();
        return console_.outputError() == 0;
    }

    bool SubmitFailure(std::string message) override {
        WriteBatch();
        console_.Error(message);
        failed_ = true;
        return console_.outputError() == 0;
    }

    int Finish() {
        WriteBatch();
        return failed_ ? 1 : 0;
    }

private:
    static constexpr std::size_t kGroupSize = 16384;

    void WriteBatch() {
        WriteTagBatch(batch_, &journal_, [&](const BatchFileResult& result) {
            FileReport report;
            const std::string& path = batch_[result.index].path;
            if (result.error != nullptr) {
                report.Error(result.error->what());
            } else if (result.outcome == WriteOutcome::TooShort) {
                report.Error(TooShortMessage(path, "left unchanged"));
            } else {
                WarnAboutTexts(report, path, files_[result.index]);
                playersShowOther_ += result.playersShowOther ? 1 : 0;
            }
            for (const FileReport::Message& message : report.messages)
                message.warning ? console_.Warning(message.text) : console_.Error(message.text);
            failed_ |= report.failed;
            return true;
        });
        batch_.clear();
        files_.clear();
    }

    const PreparedTexts& texts_;
    Console& console_;
    JournalWriter journal_;
    std::vector<BatchFile> batch_;
    std::vector<FileTexts> files_;
    std::atomic<int>& playersShowOther_;
    bool failed_ = false;
};

}  // namespace

int RunPaths(const Arguments& arguments, Console& console, const FileRunner::Work& work,
             std::optional<JournalWriter>& journal) {
    FileRunner runner(arguments.jobs, work, console);
    if (!FeedPaths(arguments, console, runner)) return 1;
    const int status = runner.Finish();
    if (journal) journal->Sync();
    return status;
}

void SetFile(const PreparedTexts& texts, const std::string& path, FileReport& report, const WriteTexts& write) {
    const FileTexts file = TextsForFile(texts, path);
    try {
        if (write(file) == WriteOutcome::TooShort) {
            report.Error(TooShortMessage(path, "left unchanged"));
            return;
        }
    } catch (const JournalError&) {
        throw;
    } catch (const FileError& error) {
        report.Error(error.what());
        return;
    }
    WarnAboutTexts(report, path, file);
}

std::string TooShortMessage(const std::string& path, std::string_view outcome) {
    return path + ": shorter than " + std::to_string(sizeof(Id3v1Tag)) + " bytes, too short to hold a tag; " +
           std::string(outcome);
}

PreparedTexts PrepareSetTexts(const Arguments& arguments) {
    return PrepareTexts({arguments.title, arguments.artist, arguments.album, arguments.titleFromName});
}

void WarnAboutTexts(FileReport& report, const std::string& path, const FileTexts& file) {
    WarnAboutText(report, path, "title", file.title);
    WarnAboutText(report, path, "artist", file.artist);
    WarnAboutText(report, path, "album", file.album);
}

void CheckJournalPath(const Arguments& arguments) {
    if (!arguments.journal) return;
    const std::string& journal = *arguments.journal;
    struct stat status {};
    if (::stat(journal.c_str(), &status) != 0) return;
    if (!IsJournal(journal))
        throw UsageError(journal + ": exists and is not a journal, so --journal will not replace it");
    for (const std::string_view file : arguments.files) {
        struct stat named {};
        if (::stat(std::string(file).c_str(), &named) == 0 && named.st_dev == status.st_dev &&
            named.st_ino == status.st_ino)
            throw UsageError(std::string(file) + ": is the journal that --journal names");
    }
}

// Said once after the files: how many of them players will show with other texts than those
// set wrote, and how to change that.
void NotePlayersShowOther(Console& console, int files) {
    if (files == 0) return;
    console.Note(std::to_string(files) + (files == 1 ? " file has" : " files have") +
                 " an ID3v2 tag with another title, artist or album, which players show instead of "
                 "the ID3v1 tag; set --id3v2 writes both");
}

int RunSet(const Arguments& arguments, Console& console) {
    CheckJournalPath(arguments);
    const PreparedTexts texts = PrepareSetTexts(arguments);
    std::atomic<int> playersShowOther = 0;
    if (arguments.journal && !arguments.id3v2) {
        JournaledSet set(arguments, texts, console, playersShowOther);
        if (!FeedPaths(arguments, console, set)) return 1;
        const int status = set.Finish();
        NotePlayersShowOther(console, playersShowOther);
        return status;
    }
    // A journal goes with one file at a time, so the runner then works on the calling thread.
    std::optional<JournalWriter> journal;
    if (arguments.journal) journal.emplace(*arguments.journal);
    auto work = [&](const std::string& path, FileReport& report) {
        if (arguments.dryRun) {
            PreviewFile(arguments, texts, path, report);
        } else if (arguments.id3v2) {
            MirrorFile(texts, path, journal ? &*journal : nullptr, report);
        } else {
            SetFile(texts, path, report, [&](const FileTexts& file) {
                bool other = false;
                const WriteOutcome outcome = UpdateTagFields(path, file.update, &other);
                playersShowOther += other ? 1 : 0;
                return outcome;
            });
        }
    };
    const int status = RunPaths(arguments, console, work, journal);
    NotePlayersShowOther(console, playersShowOther);
    return status;
}

}  // namespace sonatag::cli
