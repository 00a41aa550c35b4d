// The second readers' module: TagLib and ICU, loaded by tag/second_reader.cpp when first needed.
#include "tag/second_reader_module.h"

#include <unicode/ucsdet.h>

#include <taglib/id3v2frame.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tfile.h>

#include <algorithm>
#include <iterator>
#include <memory>

namespace sonatag {
namespace {

using TagLib::ByteVector;

ByteVector Bytes(std::string_view bytes) {
    return ByteVector(bytes.data(), static_cast<unsigned>(bytes.size()));
}

std::string Utf8(const TagLib::String& text) {
    return text.to8Bit(true);
}

// TagLib reads a tag through a File; this one serves the bytes of a tag held in memory.
class BytesFile : public TagLib::File {
public:
    explicit BytesFile(TagLib::IOStream* stream) : TagLib::File(stream) {}
    TagLib::Tag* tag() const override { return nullptr; }
    TagLib::AudioProperties* audioProperties() const override { return nullptr; }
    bool save() override { return false; }
};

// A whole tag as TagLib reads it.
class TagLibTag {
public:
    explicit TagLibTag(std::string_view tag) : stream_(Bytes(tag)), file_(&stream_), tag_(&file_, 0) {}
    const TagLib::ID3v2::Tag& tag() const { return tag_; }

private:
    TagLib::ByteVectorStream stream_;
    BytesFile file_;
    TagLib::ID3v2::Tag tag_;
};

std::string TextOf(const TagLib::ID3v2::Frame* frame) {
    const auto* text = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frame);
    return text != nullptr ? Utf8(text->toString()) : std::string();
}

// Each frame TagLib finds, but those with IDs in rewritten, as its ID and its rendering.
std::vector<std::pair<std::string, ByteVector>> FramesOf(const TagLibTag& tag, std::span<const std::string> rewritten) {
    std::vector<std::pair<std::string, ByteVector>> frames;
    for (const TagLib::ID3v2::Frame* frame : tag.tag().frameList()) {
        const std::string id(frame->frameID().data(), frame->frameID().size());
        if (std::find(rewritten.begin(), rewritten.end(), id) == rewritten.end())
            frames.emplace_back(id, frame->render());
    }
    std::sort(frames.begin(), frames.end());
    return frames;
}

std::string FrameText(std::string_view frame, std::string_view tagHeader) {
    const TagLib::ID3v2::Header header(Bytes(tagHeader));
    const std::unique_ptr<TagLib::ID3v2::Frame> parsed(
        TagLib::ID3v2::FrameFactory::instance()->createFrame(Bytes(frame), &header));
    return TextOf(parsed.get());
}

std::array<std::optional<std::string>, 3> Fields(std::string_view tag) {
    const TagLibTag read(tag);
    std::array<std::optional<std::string>, 3> fields;
    const char* ids[] = {"TIT2", "TPE1", "TALB"};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const TagLib::ID3v2::FrameList& frames = read.tag().frameList(ids[i]);
        if (!frames.isEmpty()) fields[i] = TextOf(frames.front());
    }
    return fields;
}

std::string FrameId(std::string_view id, int version) {
    if (version != 2) return std::string(id);
    std::string tagHeader = "ID3";
    tagHeader += {'\x02', '\0', '\0', '\0', '\0', '\0', '\x07'};
    const TagLib::ID3v2::Header header(Bytes(tagHeader));
    const std::string frame = std::string(id) + std::string("\0\0\x01\0", 4);
    const std::unique_ptr<TagLib::ID3v2::Frame> parsed(
        TagLib::ID3v2::FrameFactory::instance()->createFrame(Bytes(frame), &header));
    return parsed ? std::string(parsed->frameID().data(), parsed->frameID().size()) : std::string(id);
}

std::vector<std::string> FramesLost(std::string_view before, std::string_view after,
                                    std::span<const std::string> rewritten) {
    const auto old = FramesOf(TagLibTag(before), rewritten), now = FramesOf(TagLibTag(after), rewritten);
    std::vector<std::pair<std::string, ByteVector>> lost;
    std::set_difference(old.begin(), old.end(), now.begin(), now.end(), std::back_inserter(lost));
    std::vector<std::string> ids;
    for (const auto& frame : lost) ids.push_back(frame.first);
    return ids;
}

bool PrefersOtherCjk(std::string_view bytes) {
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UCharsetDetector, void (*)(UCharsetDetector*)> detector(ucsdet_open(&status), ucsdet_close);
    ucsdet_setText(detector.get(), bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    int32_t count = 0;
    const UCharsetMatch** matches = ucsdet_detectAll(detector.get(), &count, &status);
    if (U_FAILURE(status)) return true;  // no evidence either way: unsure
    int32_t gb18030 = 0, other = 0;
    for (int32_t i = 0; i < count; ++i) {
        const std::string_view name = ucsdet_getName(matches[i], &status);
        const int32_t confidence = ucsdet_getConfidence(matches[i], &status);
        if (name == "GB18030") gb18030 = confidence;
        if (name == "Big5" || name == "EUC-KR" || name == "EUC-JP" || name == "Shift_JIS")
            other = std::max(other, confidence);
    }
    return U_FAILURE(status) || other > gb18030;
}

constexpr SecondReaderModule kModule{FrameText, Fields, FrameId, FramesLost, PrefersOtherCjk};

}  // namespace
}  // namespace sonatag

extern "C" __attribute__((visibility("default"))) const sonatag::SecondReaderModule* SonatagSecondReaderModule() {
    return &sonatag::kModule;
}
