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

std::optional<FieldText> PrepareOptional(const std::optional<std::string>& utf8) {
    if (!utf8) return std::nullopt;
    return PrepareFieldText(*utf8);
}

std::optional<std::string> BytesOf(const std::optional<FieldText>& text) {
    if (!text) return std::nullopt;
    return text->bytes;
}

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

void PreviewFile(const Arguments& arguments, const SetTexts& texts, const std::string& path, FileReport& report) {
    try {
        const UpdatePreview preview = PreviewUpdate(path, UpdateFor(arguments, texts, path).update);
        if (preview.before == ReadOutcome::TooShort) {
            report.Error(TooShortMessage(path, "would be left unchanged"));
            return;
        }
        AppendChanges(report.out, path, preview);
        if (arguments.id3v2) AppendMirrorPreview(report.out, arguments, path);
    } catch (const FileError& error) {
        report.Error(error.what());
    }
}

// Writes the paths a group at a time through WriteTagBatch, so that each file's entry is in
// the journal, and on the disk, before the file changes; one sync serves a whole group.
class JournaledSet : public PathSink {
public:
    JournaledSet(const Arguments& arguments, const SetTexts& texts, Console& console)
        : arguments_(arguments), texts_(texts), console_(console), journal_(*arguments.journal) {}

    bool Submit(std::string path) override {
        FileUpdate file = UpdateFor(arguments_, texts_, path);
        batch_.push_back({std::move(path), file.update});
        titles_.push_back(std::move(file.title));
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
                WarnAboutTexts(report, path, {batch_[result.index].update, titles_[result.index]}, texts_);
            }
            for (const FileReport::Message& message : report.messages)
                message.warning ? console_.Warning(message.text) : console_.Error(message.text);
            failed_ |= report.failed;
            return true;
        });
        batch_.clear();
        titles_.clear();
    }

    const Arguments& arguments_;
    const SetTexts& texts_;
    Console& console_;
    JournalWriter journal_;
    std::vector<BatchFile> batch_;
    std::vector<std::optional<FieldText>> titles_;
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

void SetFile(const Arguments& arguments, const SetTexts& texts, const std::string& path, FileReport& report,
             const WriteUpdate& write) {
    const FileUpdate file = UpdateFor(arguments, texts, path);
    try {
        if (write(file.update) == WriteOutcome::TooShort) {
            report.Error(TooShortMessage(path, "left unchanged"));
            return;
        }
    } catch (const FileError& error) {
        report.Error(error.what());
        return;
    }
    WarnAboutTexts(report, path, file, texts);
}

std::string TooShortMessage(const std::string& path, std::string_view outcome) {
    return path + ": shorter than " + std::to_string(sizeof(Id3v1Tag)) + " bytes, too short to hold a tag; " +
           std::string(outcome);
}

SetTexts PrepareSetTexts(const Arguments& arguments) {
    return {PrepareOptional(arguments.title), PrepareOptional(arguments.artist), PrepareOptional(arguments.album)};
}

FileUpdate UpdateFor(const Arguments& arguments, const SetTexts& texts, const std::string& path) {
    std::optional<FieldText> title = texts.title;
    if (arguments.titleFromName) title = TitleFromFileName(path);
    return {{BytesOf(title), BytesOf(texts.artist), BytesOf(texts.album)}, std::move(title)};
}

void WarnAboutTexts(FileReport& report, const std::string& path, const FileUpdate& file, const SetTexts& texts) {
    WarnAboutText(report, path, "title", file.title);
    WarnAboutText(report, path, "artist", texts.artist);
    WarnAboutText(report, path, "album", texts.album);
}

int RunSet(const Arguments& arguments, Console& console) {
    const SetTexts texts = PrepareSetTexts(arguments);
    if (arguments.journal && !arguments.id3v2) {
        JournaledSet set(arguments, texts, console);
        if (!FeedPaths(arguments, console, set)) return 1;
        return set.Finish();
    }
    // A journal goes with one file at a time, so the runner then works on the calling thread.
    std::optional<JournalWriter> journal;
    if (arguments.journal) journal.emplace(*arguments.journal);
    auto work = [&](const std::string& path, FileReport& report) {
        if (arguments.dryRun) {
            PreviewFile(arguments, texts, path, report);
        } else if (arguments.id3v2) {
            MirrorFile(arguments, texts, path, journal ? &*journal : nullptr, report);
        } else {
            SetFile(arguments, texts, path, report,
                    [&](const TagUpdate& update) { return UpdateTagFields(path, update); });
        }
    };
    return RunPaths(arguments, console, work, journal);
}

}  // namespace sonatag::cli
