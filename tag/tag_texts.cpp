#include "tag/tag_texts.h"

#include "tag/cp936.h"
#include "tag/file_name.h"
#include "tag/utf8.h"

namespace sonatag {
namespace {

std::optional<std::string> Trimmed(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    return std::string(TrimWhiteSpace(*text));
}

std::optional<FieldText> Prepared(const std::optional<std::string>& utf8) {
    if (!utf8) return std::nullopt;
    return PrepareFieldText(*utf8);
}

std::optional<std::string> BytesOf(const std::optional<FieldText>& text) {
    if (!text) return std::nullopt;
    return text->bytes;
}

}  // namespace

PreparedTexts PrepareTexts(const GivenTexts& given) {
    PreparedTexts texts{
        {Trimmed(given.title), Trimmed(given.artist), Trimmed(given.album), given.titleFromName}, {}, {}, {}};
    texts.title = Prepared(texts.given.title);
    texts.artist = Prepared(texts.given.artist);
    texts.album = Prepared(texts.given.album);
    return texts;
}

FileTexts TextsForFile(const PreparedTexts& texts, std::string_view path) {
    FileTexts file{
        {}, texts.title, texts.artist, texts.album, {texts.given.title, texts.given.artist, texts.given.album}, {}};
    if (texts.given.titleFromName) {
        const std::string_view name = path.substr(path.rfind('/') + 1);  // npos + 1 == 0: the whole path
        std::optional<std::string> utf8Name =
            IsValidUtf8(name) ? std::optional<std::string>(name) : Cp936ToUtf8Exactly(name);
        if (!utf8Name) file.mirrorProblem = "its name is neither UTF-8 nor GBK, so no ID3v2 title can be made of it";
        const std::string title = GetFileName(utf8Name.value_or(std::string(name)), 1);
        file.title = PrepareFieldText(title);
        file.mirror.title = title;
    }
    file.update = {BytesOf(file.title), BytesOf(file.artist), BytesOf(file.album)};
    return file;
}

}  // namespace sonatag
