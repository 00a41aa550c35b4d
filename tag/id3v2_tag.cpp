#include "tag/id3v2_tag.h"

#include <taglib/id3v2frame.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tfile.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <set>

#include "tag/cp936.h"
#include "tag/gbk_guess.h"

namespace sonatag {
namespace {

using TagLib::ByteVector;
using TagLib::String;
using TagLib::ID3v2::TextIdentificationFrame;

// TagLib reads a tag through a File; this one serves the bytes of a tag held in memory.
class BytesFile : public TagLib::File {
public:
    explicit BytesFile(TagLib::IOStream* stream) : TagLib::File(stream) {}
    TagLib::Tag* tag() const override { return nullptr; }
    TagLib::AudioProperties* audioProperties() const override { return nullptr; }
    bool save() override { return false; }
};

// TagLib renders this much padding after the frames of a tag whose size it is not to keep.
constexpr unsigned kTagLibPadding = 1024;

constexpr std::array<const char*, 3> kMirroredFrames = {"TIT2", "TPE1", "TALB"};

std::string Utf8(const String& text) {
    return text.to8Bit(true);
}

TextIdentificationFrame* TextFrame(TagLib::ID3v2::Frame* frame) {
    if (frame->frameID() == "TXXX") return nullptr;
    return dynamic_cast<TextIdentificationFrame*>(frame);
}

// The bytes of an ISO-8859-1 frame as they lie in the file, its strings joined by a space.
std::string RawLatin1(const TextIdentificationFrame& frame) {
    return frame.fieldList().toString(" ").to8Bit(false);
}

bool HasHighBytes(std::string_view bytes) {
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

std::size_t SynchsafeSize(std::string_view bytes) {
    std::size_t size = 0;
    for (const char c : bytes) size = size << 7 | static_cast<unsigned char>(c);
    return size;
}

// The ISO-8859-1 text frames among frames that hold GBK, all of them judged together.
std::vector<TextIdentificationFrame*> MislabelledAmong(const std::vector<TagLib::ID3v2::Frame*>& frames) {
    std::vector<TextIdentificationFrame*> candidates;
    bool convincing = false;
    for (TagLib::ID3v2::Frame* frame : frames) {
        TextIdentificationFrame* text = TextFrame(frame);
        if (!text || text->textEncoding() != String::Latin1) continue;
        const std::string raw = RawLatin1(*text);
        if (!HasHighBytes(raw)) continue;
        const GbkEvidence evidence = WeighGbk(raw);
        if (!evidence.validGbk) return {};
        convincing = convincing || evidence.convincing;
        if (evidence.hanzi > 0) candidates.push_back(text);
    }
    return convincing ? candidates : std::vector<TextIdentificationFrame*>{};
}

Id3v2Fields FieldsOf(int version, const std::vector<TagLib::ID3v2::Frame*>& frames) {
    Id3v2Fields fields;
    fields.version = version;
    const std::vector<TextIdentificationFrame*> mislabelled = MislabelledAmong(frames);
    Id3v2Field* targets[] = {&fields.title, &fields.artist, &fields.album};
    for (std::size_t i = 0; i < kMirroredFrames.size(); ++i) {
        const auto frame = std::find_if(frames.begin(), frames.end(),
                                        [&](TagLib::ID3v2::Frame* f) { return f->frameID() == kMirroredFrames[i]; });
        if (frame == frames.end()) continue;
        Id3v2Field& field = *targets[i];
        field.present = true;
        field.text = Utf8((*frame)->toString());
        auto* text = dynamic_cast<TextIdentificationFrame*>(*frame);
        if (std::find(mislabelled.begin(), mislabelled.end(), text) != mislabelled.end())
            field.asGbk = Cp936ToUtf8(RawLatin1(*text));
    }
    return fields;
}

std::vector<TagLib::ID3v2::Frame*> FramesOf(const TagLib::ID3v2::Tag& tag) {
    return {tag.frameList().begin(), tag.frameList().end()};
}

// The frames of a tag laid out plainly (version 2.3 or 2.4, no unsynchronisation, extended
// header, footer or frame flags, zero padding), each whole with its header; empty for any
// other tag, which TagLib then reads in full. Frame contents are not looked at.
std::optional<std::vector<std::string_view>> PlainFrames(std::string_view tag) {
    if (tag.size() < kId3v2HeaderSize) return std::nullopt;
    const auto version = static_cast<unsigned char>(tag[3]);
    if ((version != 3 && version != 4) || tag[5] != 0) return std::nullopt;
    std::vector<std::string_view> frames;
    std::string_view body = tag.substr(kId3v2HeaderSize);
    while (body.size() >= kId3v2HeaderSize && body[0] != 0) {
        const std::string_view id = body.substr(0, 4), sizeBytes = body.substr(4, 4);
        const bool idOk = std::all_of(id.begin(), id.end(), [](char c) { return std::isupper(c) || std::isdigit(c); });
        if (!idOk || body[8] != 0 || body[9] != 0 || (version == 4 && HasHighBytes(sizeBytes))) return std::nullopt;
        std::size_t size = 0;
        for (const char c : sizeBytes) size = size << (version == 4 ? 7 : 8) | static_cast<unsigned char>(c);
        if (size > body.size() - kId3v2HeaderSize) return std::nullopt;
        frames.push_back(body.substr(0, kId3v2HeaderSize + size));
        body.remove_prefix(kId3v2HeaderSize + size);
    }
    if (std::any_of(body.begin(), body.end(), [](char c) { return c != 0; })) return std::nullopt;
    return frames;
}

// The text frames of a plain tag, each parsed by TagLib on its own; other frames are skipped.
std::vector<std::unique_ptr<TagLib::ID3v2::Frame>> PlainTextFrames(std::string_view tag,
                                                                   const std::vector<std::string_view>& frames) {
    const TagLib::ID3v2::Header header(ByteVector(tag.data(), kId3v2HeaderSize));
    std::vector<std::unique_ptr<TagLib::ID3v2::Frame>> parsed;
    for (const std::string_view frame : frames) {
        if (frame[0] != 'T') continue;
        parsed.emplace_back(TagLib::ID3v2::FrameFactory::instance()->createFrame(
            ByteVector(frame.data(), static_cast<unsigned>(frame.size())), &header));
        if (!parsed.back()) parsed.pop_back();
    }
    return parsed;
}

std::vector<TagLib::ID3v2::Frame*> Pointers(const std::vector<std::unique_ptr<TagLib::ID3v2::Frame>>& frames) {
    std::vector<TagLib::ID3v2::Frame*> pointers;
    for (const auto& frame : frames) pointers.push_back(frame.get());
    return pointers;
}

}  // namespace

struct Id3v2Tag::Impl {
    explicit Impl(std::string_view bytes)
        : stream(ByteVector(bytes.data(), static_cast<unsigned>(bytes.size()))), file(&stream), tag(&file, 0) {}
    Impl() : stream(ByteVector()), file(&stream) { tag.header()->setMajorVersion(3); }

    TagLib::ByteVectorStream stream;
    BytesFile file;
    TagLib::ID3v2::Tag tag;
    std::set<ByteVector> changed;  // frames set or repaired here
};

std::size_t Id3v2TagSize(std::string_view head) {
    if (head.size() < kId3v2HeaderSize || head.substr(0, 3) != "ID3") return 0;
    const auto version = static_cast<unsigned char>(head[3]);
    if (version < 2 || version > 4 || static_cast<unsigned char>(head[4]) == 0xFF) return 0;
    const std::string_view size = head.substr(6, 4);
    if (HasHighBytes(size)) return 0;
    const bool footer = version == 4 && (static_cast<unsigned char>(head[5]) & 0x10) != 0;
    return kId3v2HeaderSize + SynchsafeSize(size) + (footer ? kId3v2HeaderSize : 0);
}

Id3v2Tag::Id3v2Tag() : impl_(std::make_unique<Impl>()) {}

Id3v2Tag::Id3v2Tag(std::string_view bytes) {
    const std::size_t size = Id3v2TagSize(bytes);
    if (size == 0) throw Id3v2Error("no ID3v2 tag");
    if (size != bytes.size()) throw Id3v2Error("the ID3v2 tag is cut short");
    if (size > kId3v2MaxSize) throw Id3v2Error("the ID3v2 tag is larger than 64 MiB");
    impl_ = std::make_unique<Impl>(bytes);
}

Id3v2Tag::~Id3v2Tag() = default;
Id3v2Tag::Id3v2Tag(Id3v2Tag&&) noexcept = default;
Id3v2Tag& Id3v2Tag::operator=(Id3v2Tag&&) noexcept = default;

int Id3v2Tag::version() const {
    return static_cast<int>(impl_->tag.header()->majorVersion());
}

Id3v2Fields Id3v2Tag::Fields() const {
    return FieldsOf(version(), FramesOf(impl_->tag));
}

std::vector<FrameRepair> Id3v2Tag::MislabelledFrames() const {
    std::vector<FrameRepair> repairs;
    for (TextIdentificationFrame* frame : MislabelledAmong(FramesOf(impl_->tag))) {
        repairs.push_back({std::string(frame->frameID().data(), frame->frameID().size()), Utf8(frame->toString()),
                           Cp936ToUtf8(RawLatin1(*frame))});
    }
    return repairs;
}

void Id3v2Tag::SetTexts(const MirrorTexts& texts) {
    const std::optional<std::string>* given[] = {&texts.title, &texts.artist, &texts.album};
    for (std::size_t i = 0; i < kMirroredFrames.size(); ++i) {
        if (!*given[i]) continue;
        const ByteVector id(kMirroredFrames[i]);
        impl_->tag.removeFrames(id);
        impl_->changed.insert(id);
        if (given[i]->value().empty()) continue;
        auto frame = std::make_unique<TextIdentificationFrame>(id, String::UTF16);
        frame->setText(String(given[i]->value(), String::UTF8));
        impl_->tag.addFrame(frame.release());
    }
}

void Id3v2Tag::RepairMislabelledFrames() {
    for (TextIdentificationFrame* frame : MislabelledAmong(FramesOf(impl_->tag))) {
        TagLib::StringList repaired;
        for (const String& field : frame->fieldList())
            repaired.append(String(Cp936ToUtf8(field.to8Bit(false)), String::UTF8));
        frame->setText(repaired);
        frame->setTextEncoding(String::UTF16);
        impl_->changed.insert(frame->frameID());
    }
}

std::string Id3v2Tag::RenderFrames() const {
    TagLib::ID3v2::Tag& tag = impl_->tag;
    const bool v4 = version() == 4;
    tag.header()->setTagSize(0);  // TagLib then pads with exactly kTagLibPadding bytes
    const ByteVector rendered = tag.render(v4 ? TagLib::ID3v2::v4 : TagLib::ID3v2::v3);
    if (rendered.size() < kId3v2HeaderSize + kTagLibPadding) throw Id3v2Error("the ID3v2 tag cannot be rendered");
    std::string frames(rendered.data() + kId3v2HeaderSize, rendered.size() - kId3v2HeaderSize - kTagLibPadding);

    // What TagLib cannot write back (frames of an older version, frames marked to be dropped
    // on change) would be lost: such a tag is left alone rather than thinned.
    auto unchangedFrames = [&](const TagLib::ID3v2::Tag& from) {
        std::multiset<ByteVector> result;
        for (TagLib::ID3v2::Frame* frame : from.frameList()) {
            if (impl_->changed.count(frame->frameID()) != 0) continue;
            // The frame's fields, after a 10-byte header; an ID TagLib cannot write is lost.
            result.insert(frame->frameID().size() == 4 ? frame->frameID() + frame->render().mid(kId3v2HeaderSize)
                                                       : ByteVector());
        }
        return result;
    };
    const Id3v2Tag reread(ComposeId3v2Tag(v4 ? 4 : 3, frames, kId3v2HeaderSize + frames.size()));
    if (unchangedFrames(tag) != unchangedFrames(reread.impl_->tag))
        throw Id3v2Error("the ID3v2 tag holds frames that would be lost if it were rewritten");
    return frames;
}

std::string ComposeId3v2Tag(int version, std::string_view frames, std::size_t size) {
    std::string tag = "ID3";
    tag += static_cast<char>(version == 4 ? 4 : 3);
    tag.append(2, '\0');  // revision and flags
    const std::size_t bodySize = size - kId3v2HeaderSize;
    for (int shift = 21; shift >= 0; shift -= 7) tag += static_cast<char>((bodySize >> shift) & 0x7F);
    tag += frames;
    tag.resize(size, '\0');
    return tag;
}

std::optional<Id3v2Fields> ReadPlainFields(std::string_view tag) {
    const std::optional<std::vector<std::string_view>> frames = PlainFrames(tag);
    if (!frames) return std::nullopt;
    return FieldsOf(static_cast<unsigned char>(tag[3]), Pointers(PlainTextFrames(tag, *frames)));
}

std::optional<std::string> PlainFramesWithTexts(std::string_view tag, const MirrorTexts& texts) {
    const std::optional<std::vector<std::string_view>> frames = PlainFrames(tag);
    if (!frames) return std::nullopt;
    const std::optional<std::string>* given[] = {&texts.title, &texts.artist, &texts.album};
    TagLib::ID3v2::Tag textFrames;
    for (std::size_t i = 0; i < kMirroredFrames.size(); ++i) {
        if (!*given[i] || given[i]->value().empty()) continue;
        auto frame = std::make_unique<TextIdentificationFrame>(ByteVector(kMirroredFrames[i]), String::UTF16);
        frame->setText(String(given[i]->value(), String::UTF8));
        textFrames.addFrame(frame.release());
    }
    textFrames.header()->setTagSize(0);
    const ByteVector rendered = textFrames.render(tag[3] == 4 ? TagLib::ID3v2::v4 : TagLib::ID3v2::v3);
    std::string result(rendered.data() + kId3v2HeaderSize, rendered.size() - kId3v2HeaderSize - kTagLibPadding);
    for (const std::string_view frame : *frames) {
        const auto replaced = std::find_if(std::begin(kMirroredFrames), std::end(kMirroredFrames),
                                           [&](const char* id) { return frame.substr(0, 4) == id; });
        if (replaced == std::end(kMirroredFrames) || !*given[replaced - std::begin(kMirroredFrames)]) result += frame;
    }
    return result;
}

void ExerciseId3v2Reading(std::string_view bytes) {
    const std::size_t size = Id3v2TagSize(bytes);
    if (size == 0 || size > bytes.size()) return;
    try {
        ReadPlainFields(bytes.substr(0, size));
        PlainFramesWithTexts(bytes.substr(0, size), {"title", "", std::nullopt});
        Id3v2Tag tag(bytes.substr(0, size));
        tag.Fields();
        tag.MislabelledFrames();
        tag.RepairMislabelledFrames();
        tag.SetTexts({"title", "", std::nullopt});
        tag.RenderFrames();
    } catch (const Id3v2Error&) {
    }
}

}  // namespace sonatag
