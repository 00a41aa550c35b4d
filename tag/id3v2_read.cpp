#include "tag/id3v2_read.h"

#include "tag/cp936.h"
#include "tag/id3v2_layout.h"
#include "tag/id3v2_text.h"
#include "tag/tag_block.h"

namespace sonatag {

std::string ReadHeadTag(const std::string& path, const LockedFile& file, std::size_t& headSize) {
    std::string tag(kId3v2HeaderSize, '\0');
    headSize = 0;
    if (file.length < static_cast<off_t>(tag.size())) return {};
    if (const int error = ReadBytesAt(file.fd.get(), tag.data(), tag.size(), 0)) Fail(path, error, "cannot read");
    headSize = Id3v2TagSize(tag);
    if (headSize == 0) return {};
    if (headSize > kId3v2MaxSize) throw Id3v2Error("the ID3v2 tag is larger than 64 MiB");
    if (static_cast<off_t>(headSize) > file.length) throw Id3v2Error("the ID3v2 tag runs past the end of the file");
    tag.resize(headSize);
    const std::size_t rest = headSize - kId3v2HeaderSize;
    if (const int error = ReadBytesAt(file.fd.get(), tag.data() + kId3v2HeaderSize, rest, kId3v2HeaderSize))
        Fail(path, error, "cannot read");
    return tag;
}

std::string ReadHeadTagIfReadable(const std::string& path, const LockedFile& file, std::size_t& headSize) {
    try {
        return ReadHeadTag(path, file, headSize);
    } catch (const Id3v2Error&) {
        return {};
    }
}

bool PlayersShowOtherTexts(std::string_view tag, const Id3v1Tag& block) {
    if (tag.empty()) return false;
    try {
        const Id3v2Fields shown = ReadId3v2Fields(Id3v2Layout(tag));
        const TagFields written = ParseTagBlock(block).fields;
        auto other = [](const Id3v2Field& field, const std::string& text) {
            return field.present && field.text != Cp936ToUtf8(text);
        };
        return other(shown.title, written.title) || other(shown.artist, written.artist) ||
               other(shown.album, written.album);
    } catch (const Id3v2Error&) {
        return false;
    }
}

}  // namespace sonatag
