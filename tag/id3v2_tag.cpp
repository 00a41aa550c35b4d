#include "tag/id3v2_tag.h"

#include <taglib/id3v2frame.h>
#include <taglib/id3v2tag.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tfile.h>

#include <algorithm>
#include <array>
#include <set>

#include "tag/cp936.h"
#include "tag/gbk_guess.h"
#include "tag/utf8.h"

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

// A text frame as the fields and the GBK judge see it.
struct TextFrameView {
    std::string id;
    std::string text;                   // UTF-8, its strings joined by a space
    std::optional<std::string> latin1;  // the bytes as they lie in the file, for an ISO-8859-1 frame
};

// The text frames of a tag TagLib read; TXXX, a description with its text, is not one.
std::vector<TextIdentificationFrame*> TextFramesOf(const TagLib::ID3v2::Tag& tag) {
    std::vector<TextIdentificationFrame*> frames;
    for (TagLib::ID3v2::Frame* frame : tag.frameList()) {
        if (auto* text = dynamic_cast<TextIdentificationFrame*>(frame); text && frame->frameID() != "TXXX")
            frames.push_back(text);
    }
    return frames;
}

std::vector<TextFrameView> ViewsOf(const std::vector<TextIdentificationFrame*>& frames) {
    std::vector<TextFrameView> views;
    for (const TextIdentificationFrame* frame : frames) {
        const bool latin1 = frame->textEncoding() == String::Latin1;
        views.push_back({std::string(frame->frameID().data(), frame->frameID().size()), Utf8(frame->toString()),
                         latin1 ? std::optional(RawLatin1(*frame)) : std::nullopt});
    }
    return views;
}

// The positions of the ISO-8859-1 frames that hold GBK, all of them judged together.
std::vector<std::size_t> MislabelledAmong(const std::vector<TextFrameView>& frames) {
    std::vector<std::size_t> candidates;
    bool convincing = false;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (!frames[i].latin1 || !HasHighBytes(*frames[i].latin1)) continue;
        const GbkEvidence evidence = WeighGbk(*frames[i].latin1);
        if (!evidence.validGbk) return {};
        convincing = convincing || evidence.convincing;
        if (evidence.hanzi > 0) candidates.push_back(i);
    }
    return convincing ? candidates : std::vector<std::size_t>{};
}

Id3v2Fields FieldsOf(int version, const std::vector<TextFrameView>& frames) {
    Id3v2Fields fields;
    fields.version = version;
    const std::vector<std::size_t> mislabelled = MislabelledAmong(frames);
    Id3v2Field* targets[] = {&fields.title, &fields.artist, &fields.album};
    for (std::size_t i = 0; i < kMirroredFrames.size(); ++i) {
        const auto frame = std::find_if(frames.begin(), frames.end(),
                                        [&](const TextFrameView& f) { return f.id == kMirroredFrames[i]; });
        if (frame == frames.end()) continue;
        targets[i]->present = true;
        targets[i]->text = frame->text;
        const auto at = static_cast<std::size_t>(frame - frames.begin());
        if (std::find(mislabelled.begin(), mislabelled.end(), at) != mislabelled.end())
            targets[i]->asGbk = Cp936ToUtf8(*frame->latin1);
    }
    return fields;
}

// The frames of a tag laid out plainly (version 2.3 or 2.4, no unsynchronisation, extended
// header, footer or frame flags, zero padding), each whole with its header, and none where
// there is no tag; empty for any other tag, which TagLib then reads in full. Frame contents
// are not looked at.
std::optional<std::vector<std::string_view>> PlainFrames(std::string_view tag) {
    if (tag.empty()) return std::vector<std::string_view>{};
    if (tag.size() < kId3v2HeaderSize) return std::nullopt;
    const auto version = static_cast<unsigned char>(tag[3]);
    if ((version != 3 && version != 4) || tag[5] != 0) return std::nullopt;
    std::vector<std::string_view> frames;
    std::string_view body = tag.substr(kId3v2HeaderSize);
    while (body.size() >= kId3v2HeaderSize && body[0] != 0) {
        const std::string_view id = body.substr(0, 4), sizeBytes = body.substr(4, 4);
        const bool idOk =
            std::all_of(id.begin(), id.end(), [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
        if (!idOk || body[8] != 0 || body[9] != 0 || (version == 4 && HasHighBytes(sizeBytes))) return std::nullopt;
        std::size_t size = 0;
        for (const char c : sizeBytes) size = size << (version == 4 ? 7 : 8) | static_cast<unsigned char>(c);
        if (size == 0 || size > body.size() - kId3v2HeaderSize) return std::nullopt;  // TagLib stops at an empty frame
        frames.push_back(body.substr(0, kId3v2HeaderSize + size));
        body.remove_prefix(kId3v2HeaderSize + size);
    }
    if (std::any_of(body.begin(), body.end(), [](char c) { return c != 0; })) return std::nullopt;
    return frames;
}

// The version a plain tag is written in: its own, or 2.3 for a new one.
int PlainVersion(std::string_view tag) {
    return tag.empty() ? 3 : static_cast<unsigned char>(tag[3]);
}

// Appends utf8 as UTF-16LE; a byte that does not begin a well-formed sequence becomes U+FFFD.
void AppendUtf16Le(std::string& out, std::string_view utf8) {
    auto unit = [&](char32_t code) {
        out += static_cast<char>(code & 0xFF);
        out += static_cast<char>(code >> 8);
    };
    while (!utf8.empty()) {
        const std::size_t length = Utf8SequenceLength(utf8);
        const char32_t code = length == 0 ? 0xFFFD : DecodeUtf8(utf8.substr(0, length));
        if (code > 0xFFFF) {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            unit(code);
        }
        utf8.remove_prefix(length == 0 ? 1 : length);
    }
}

// A text frame of version 3 or 4 as TagLib writes one for UTF-16: the encoding byte 1, a
// little-endian byte order mark, the text and no terminator.
std::string Utf16TextFrame(std::string_view id, std::string_view utf8, int version) {
    std::string body = "\x01\xFF\xFE";
    AppendUtf16Le(body, utf8);
    std::string frame(id);
    const int bitsPerByte = version == 4 ? 7 : 8;
    for (int i = 3; i >= 0; --i)
        frame += static_cast<char>((body.size() >> (i * bitsPerByte)) & ((1 << bitsPerByte) - 1));
    frame.append(2, '\0');  // flags
    return frame + body;
}

// UTF-16 to UTF-8; empty for an odd length, a zero character or a lone surrogate.
std::optional<std::string> DecodeUtf16(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    auto unit = [&](std::size_t at) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[at]), second = static_cast<unsigned char>(bytes[at + 1]);
        return bigEndian ? first << 8 | second : second << 8 | first;
    };
    std::string text;
    for (std::size_t at = 0; at < bytes.size(); at += 2) {
        char32_t code = unit(at);
        if (code == 0 || (code >= 0xDC00 && code < 0xE000)) return std::nullopt;
        if (code >= 0xD800 && code < 0xDC00) {
            at += 2;
            const char32_t low = at < bytes.size() ? unit(at) : 0;
            if (low < 0xDC00 || low >= 0xE000) return std::nullopt;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        AppendUtf8(text, code);
    }
    return text;
}

// A text frame of a plain tag decoded as TagLib decodes it, for the common forms: one string,
// ISO-8859-1, UTF-16 with a byte order mark, UTF-16BE or well-formed UTF-8. Empty for any
// other form (several strings, an unknown encoding, broken text), which TagLib then reads.
std::optional<TextFrameView> DecodeTextFrame(std::string_view frame) {
    const std::string_view data = frame.substr(kId3v2HeaderSize);
    const char encoding = data[0];
    const std::size_t characterSize = encoding == 1 || encoding == 2 ? 2 : 1;
    // Zero bytes at the end are dropped, up to a whole character.
    std::size_t end = data.size() - 1;
    while (end > 0 && data[end] == 0) --end;
    end += (characterSize - end % characterSize) % characterSize;
    const std::string_view bytes = data.substr(1, end);
    TextFrameView view{std::string(frame.substr(0, 4)), {}, {}};
    if (encoding == 0 || encoding == 3) {
        if (bytes.find('\0') != std::string_view::npos) return std::nullopt;
        if (encoding == 3) {
            for (std::size_t at = 0, length = 0; at < bytes.size(); at += length) {
                if ((length = Utf8SequenceLength(bytes.substr(at))) == 0) return std::nullopt;
            }
            view.text = bytes;
            return view;
        }
        for (const char c : bytes) AppendUtf8(view.text, static_cast<unsigned char>(c));
        view.latin1 = bytes;
        return view;
    }
    std::optional<std::string> text;
    if (encoding == 2) text = DecodeUtf16(bytes, true);
    if (encoding == 1 && bytes.size() >= 2 && (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF"))
        text = DecodeUtf16(bytes.substr(2), bytes[0] == '\xFE');
    if (!text) return std::nullopt;
    view.text = std::move(*text);
    return view;
}

// Version 2.3 frames that TagLib discards, since version 2.4 has no such frames.
bool DiscardedByTagLib(std::string_view id, int version) {
    return version == 3 && (id == "TDAT" || id == "TIME" || id == "TRDA" || id == "TSIZ");
}

// The text frames of a plain tag, each decoded on its own; empty when one of them is in a form
// left to TagLib.
std::optional<std::vector<TextFrameView>> DecodeTextFrames(std::string_view tag,
                                                           const std::vector<std::string_view>& frames) {
    std::vector<TextFrameView> views;
    for (const std::string_view frame : frames) {
        const std::string_view id = frame.substr(0, 4);
        if (id[0] != 'T' || id == "TXXX" || DiscardedByTagLib(id, PlainVersion(tag))) continue;
        std::optional<TextFrameView> view = DecodeTextFrame(frame);
        if (!view) return std::nullopt;
        views.push_back(std::move(*view));
    }
    return views;
}

}  // namespace

struct Id3v2Tag::Impl {
    explicit Impl(std::string_view bytes)
        : stream(ByteVector(bytes.data(), static_cast<unsigned>(bytes.size()))), file(&stream), tag(&file, 0) {}

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
    return FieldsOf(version(), ViewsOf(TextFramesOf(impl_->tag)));
}

std::vector<FrameRepair> Id3v2Tag::MislabelledFrames() const {
    const std::vector<TextFrameView> views = ViewsOf(TextFramesOf(impl_->tag));
    std::vector<FrameRepair> repairs;
    for (const std::size_t at : MislabelledAmong(views))
        repairs.push_back({views[at].id, views[at].text, Cp936ToUtf8(*views[at].latin1)});
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
    const std::vector<TextIdentificationFrame*> frames = TextFramesOf(impl_->tag);
    for (const std::size_t at : MislabelledAmong(ViewsOf(frames))) {
        TextIdentificationFrame* frame = frames[at];
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
    const std::optional<std::vector<TextFrameView>> textFrames = DecodeTextFrames(tag, *frames);
    return textFrames ? FieldsOf(PlainVersion(tag), *textFrames) : Id3v2Tag(tag).Fields();
}

std::optional<std::string> PlainFramesWithTexts(std::string_view tag, const MirrorTexts& texts) {
    const std::optional<std::vector<std::string_view>> frames = PlainFrames(tag);
    if (!frames) return std::nullopt;
    const std::optional<std::string>* given[] = {&texts.title, &texts.artist, &texts.album};
    std::string result;
    for (std::size_t i = 0; i < kMirroredFrames.size(); ++i) {
        if (*given[i] && !given[i]->value().empty())
            result += Utf16TextFrame(kMirroredFrames[i], given[i]->value(), PlainVersion(tag));
    }
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
