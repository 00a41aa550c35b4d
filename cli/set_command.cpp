#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "tag/cp936.h"
#include "tag/field_rules.h"
#include "tag/file_name.h"
#include "tag/tag_file.h"

namespace sonatag::cli {

namespace {

// A text given on the command line, ready to be written into a field.
struct FieldText {
    std::string bytes;          // code page 936
    bool lossy = false;         // some character became '?'
    std::size_t keptBytes = 0;  // what the 30-byte field keeps of bytes
};

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

}  // namespace

int RunSet(const Arguments& arguments, Console& console) {
    std::optional<FieldText> title = PrepareOptional(arguments.title);
    const std::optional<FieldText> artist = PrepareOptional(arguments.artist);
    const std::optional<FieldText> album = PrepareOptional(arguments.album);
    TagUpdate update{BytesOf(title), BytesOf(artist), BytesOf(album)};

    int status = 0;
    std::string path;
    for (const std::string_view file : arguments.files) {
        path.assign(file);
        if (arguments.titleFromName) {
            title = PrepareFieldText(GetFileName(path, 1));
            update.title = title->bytes;
        }
        try {
            if (UpdateTagFields(path, update) == WriteOutcome::TooShort) {
                console.Error(path + ": shorter than 128 bytes, too short to hold a tag; left unchanged");
                status = 1;
                continue;
            }
        } catch (const FileError& error) {
            console.Error(error.what());
            status = 1;
            continue;
        }
        WarnAboutText(console, path, "title", title);
        WarnAboutText(console, path, "artist", artist);
        WarnAboutText(console, path, "album", album);
    }
    return status;
}

}  // namespace sonatag::cli
