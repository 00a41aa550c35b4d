#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "cli/set_plan.h"
#include "tag/cp936.h"
#include "tag/field_rules.h"
#include "tag/file_name.h"
#include "tag/tag_batch.h"

namespace sonatag::cli {

FieldText PrepareFieldText(std::string_view utf8) {
    Cp936Text converted = Utf8ToCp936(TrimWhiteSpace(utf8));
    char field[kFieldSize];
    CopyFieldBytes(field, converted.bytes, kFieldSize);
    const std::size_t kept = ::strnlen(field, kFieldSize);
    return {std::move(converted.bytes), converted.lossy, kept};
}

std::optional<FieldText> PrepareOptional(const std::optional<std::string>& utf8) {
    if (!utf8) return std::nullopt;
    return PrepareFieldText(*utf8);
}

std::optional<std::string> BytesOf(const std::optional<FieldText>& text) {
    if (!text) return std::nullopt;
    return text->bytes;
}

void WarnAboutText(Console& console, std::string_view path, std::string_view field,
                   const std::optional<FieldText>& text) {
    if (!text) return;
    const std::string where = std::string(path) + ": " + std::string(field) + ": ";
    if (text->lossy) {
        console.Warning(where + "a character that code page 936 cannot hold was written as '?'");
    }
    if (text->keptBytes < text->bytes.size()) {
        console.Warning(where + "the text is " + std::to_string(text->bytes.size()) +
                        " bytes in code page 936, more than the field's 30; it was cut to " +
                        std::to_string(text->keptBytes));
    }
}

SetPlan PlanSet(const Arguments& arguments) {
    SetPlan plan{
        PrepareOptional(arguments.title), PrepareOptional(arguments.artist), PrepareOptional(arguments.album), {}, {}};
    const TagUpdate update{BytesOf(plan.title), BytesOf(plan.artist), BytesOf(plan.album)};
    plan.files.reserve(arguments.files.size());
    for (const std::string_view file : arguments.files) {
        plan.files.push_back({std::string(file), update});
        if (!arguments.titleFromName) continue;
        plan.fileTitles.push_back(PrepareFieldText(GetFileName(plan.files.back().path, 1)));
        plan.files.back().update.title = plan.fileTitles.back().bytes;
    }
    return plan;
}

int RunSet(const Arguments& arguments, Console& console) {
    const SetPlan plan = PlanSet(arguments);
    std::optional<JournalWriter> journal;
    if (arguments.journal) journal.emplace(*arguments.journal);
    int status = 0;
    WriteTagBatch(plan.files, journal ? &*journal : nullptr, [&](const BatchFileResult& result) {
        const std::string& path = plan.files[result.index].path;
        if (result.error != nullptr) {
            console.Error(result.error->what());
            status = 1;
        } else if (result.outcome == WriteOutcome::TooShort) {
            console.Error(path + ": shorter than 128 bytes, too short to hold a tag; left unchanged");
            status = 1;
        } else {
            WarnAboutText(console, path, "title", plan.TitleOf(result.index));
            WarnAboutText(console, path, "artist", plan.artist);
            WarnAboutText(console, path, "album", plan.album);
        }
        return true;
    });
    return status;
}

}  // namespace sonatag::cli
