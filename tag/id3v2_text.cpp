#include "tag/id3v2_text.h"

#include <algorithm>
#include <optional>

#include "tag/cp936.h"
#include "tag/gbk_guess.h"
#include "tag/second_reader.h"
#include "tag/utf8.h"

namespace sonatag {
namespace {

enum Encoding : char { kLatin1 = 0, kUtf16 = 1, kUtf16BigEndian = 2, kUtf8 = 3 };

bool IsTextFrame(std::string_view id) {
    return id[0] == 'T' && id != "TXXX" && id != "TXX";
}

bool HasHighBytes(std::string_view bytes) {
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The strings of a text frame's content after its encoding byte, as readers list them: split
// at terminators of unit zero bytes, empty ones left out.
std::vector<std::string_view> Strings(std::string_view text, std::size_t unit) {
    std::vector<std::string_view> strings;
    std::size_t start = 0;
    for (std::size_t at = 0; at + unit <= text.size(); at += unit) {
        if (text.substr(at, unit).find_first_not_of('\0') != std::string_view::npos) continue;
        if (at > start) strings.push_back(text.substr(start, at - start));
        start = at + unit;
    }
    if (start < text.size()) strings.push_back(text.substr(start));
    return strings;
}

std::string Latin1ToUtf8(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) AppendUtf8(text, static_cast<unsigned char>(c));
    return text;
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

std::optional<std::string> DecodeString(std::string_view bytes, char encoding) {
    switch (encoding) {
        case kLatin1:
            return Latin1ToUtf8(bytes);
        case kUtf8:
            return IsValidUtf8(bytes) ? std::optional(std::string(bytes)) : std::nullopt;
        case kUtf16BigEndian:
            return DecodeUtf16(bytes, true);
        case kUtf16:
            if (bytes.size() <= 2 || (bytes.substr(0, 2) != "\xFF\xFE" && bytes.substr(0, 2) != "\xFE\xFF"))
                return std::nullopt;
            return DecodeUtf16(bytes.substr(2), bytes[0] == '\xFE');
        default:
            return std::nullopt;
    }
}

// A text frame's content decoded the way TagLib decodes it, its strings joined by a space, for
// the forms that are plain to see; empty for any other form, which TagLib then reads.
std::optional<std::string> DecodeText(std::string_view content, int version) {
    if (content.empty()) return std::string();
    const char encoding = content[0];
    if (version == 2 && encoding != kLatin1 && encoding != kUtf16) return std::nullopt;
    const std::size_t unit = encoding == kUtf16 || encoding == kUtf16BigEndian ? 2 : 1;
    std::string text;
    for (const std::string_view string : Strings(content.substr(1), unit)) {
        const std::optional<std::string> decoded = DecodeString(string, encoding);
        if (!decoded) return std::nullopt;
        text += text.empty() ? "" : " ";
        text += *decoded;
    }
    return text;
}

std::string FrameText(const Id3v2Layout& layout, const Id3v2FrameSpan& frame) {
    if (const std::optional<std::string> content = layout.Payload(frame)) {
        if (std::optional<std::string> text = DecodeText(*content, layout.version())) return std::move(*text);
    }
    return TagLibFrameText(layout.DecodedFrame(frame), layout.Decoded().substr(0, kId3v2HeaderSize));
}

// A character that no GBK byte pair stands for: the replacement character or private use.
bool HoldsUnmapped(std::string_view utf8) {
    for (std::size_t at = 0, length = 0; at < utf8.size(); at += length) {
        length = std::max<std::size_t>(1, Utf8SequenceLength(utf8.substr(at)));
        const char32_t code = DecodeUtf8(utf8.substr(at, length));
        if (code == 0xFFFD || (code >= 0xE000 && code <= 0xF8FF)) return true;
    }
    return false;
}

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

// An ISO-8859-1 text frame with bytes above 0x7F: where it stands and its strings.
struct Latin1Frame {
    std::size_t index;
    std::string content;
    std::vector<std::string_view> strings;
    std::string joined;
};

std::vector<Latin1Frame> Latin1Frames(const Id3v2Layout& layout) {
    std::vector<Latin1Frame> frames;
    for (std::size_t index = 0; index < layout.frames().size(); ++index) {
        if (!IsTextFrame(layout.frames()[index].id)) continue;
        std::optional<std::string> content = layout.Payload(layout.frames()[index]);
        if (!content || content->empty() || (*content)[0] != kLatin1 || !HasHighBytes(*content)) continue;
        frames.push_back({index, std::move(*content), {}, {}});
    }
    for (Latin1Frame& frame : frames) {  // the strings view the content where it stays
        frame.strings = Strings(std::string_view(frame.content).substr(1), 1);
        for (const std::string_view string : frame.strings) {
            if (!frame.joined.empty()) frame.joined += ' ';
            frame.joined += string;
        }
    }
    return frames;
}

}  // namespace

std::array<std::string, 3> MirroredFrameIds(int version) {
    if (version == 2) return {"TT2", "TP1", "TAL"};
    return {"TIT2", "TPE1", "TALB"};
}

std::string Utf16TextBody(std::string_view utf8) {
    std::string body = "\x01\xFF\xFE";
    AppendUtf16Le(body, utf8);
    return body;
}

std::vector<MislabelledFrame> MislabelledFrames(const Id3v2Layout& layout) {
    const std::vector<Latin1Frame> frames = Latin1Frames(layout);
    std::vector<std::string_view> texts;
    for (const Latin1Frame& frame : frames) texts.push_back(frame.joined);
    if (texts.empty() || !LooksLikeGbk(texts)) return {};
    std::vector<MislabelledFrame> mislabelled;
    for (const Latin1Frame& frame : frames) {
        const Id3v2FrameSpan& span = layout.frames()[frame.index];
        if (!layout.Rewritable(span)) continue;
        MislabelledFrame repaired{frame.index, {span.id, Latin1ToUtf8(frame.joined), {}}, "\x01"};
        for (const std::string_view string : frame.strings) {
            const std::string text = Cp936ToUtf8(string);
            if (HoldsUnmapped(text)) return {};
            if (!repaired.repair.after.empty()) {
                repaired.repair.after += ' ';
                repaired.body.append(2, '\0');
            }
            repaired.repair.after += text;
            repaired.body += Utf16TextBody(text).substr(1);
        }
        mislabelled.push_back(std::move(repaired));
    }
    return mislabelled;
}

Id3v2Fields ReadId3v2Fields(const Id3v2Layout& layout) {
    Id3v2Fields fields;
    fields.version = layout.version();
    const std::vector<MislabelledFrame> mislabelled = MislabelledFrames(layout);
    const std::array<std::string, 3> ids = MirroredFrameIds(layout.version());
    Id3v2Field* targets[] = {&fields.title, &fields.artist, &fields.album};
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const auto& frames = layout.frames();
        const auto frame =
            std::find_if(frames.begin(), frames.end(), [&](const Id3v2FrameSpan& span) { return span.id == ids[i]; });
        if (frame == frames.end()) continue;
        targets[i]->present = true;
        targets[i]->text = FrameText(layout, *frame);
        const auto index = static_cast<std::size_t>(frame - frames.begin());
        for (const MislabelledFrame& repair : mislabelled) {
            if (repair.index == index) targets[i]->asGbk = repair.repair.after;
        }
    }
    return fields;
}

Id3v2Fields ReadId3v2FieldsWithTagLib(std::string_view tag) {
    Id3v2Fields fields;
    fields.version = static_cast<unsigned char>(tag[3]);
    const std::array<std::optional<std::string>, 3> read = TagLibFields(tag);
    Id3v2Field* targets[] = {&fields.title, &fields.artist, &fields.album};
    for (std::size_t i = 0; i < read.size(); ++i) {
        targets[i]->present = read[i].has_value();
        targets[i]->text = read[i].value_or("");
    }
    return fields;
}

}  // namespace sonatag
