#include "tag/id3v2_layout.h"

#include <algorithm>

namespace sonatag {
namespace {

// Header flags; a tag with a flag its version does not define is of a kind not known.
constexpr unsigned char kUnsynchronised = 0x80;
constexpr unsigned char kCompressed22 = 0x40;
constexpr unsigned char kExtendedHeader = 0x40;
constexpr unsigned char kFooter = 0x10;
constexpr unsigned char kKnownFlags[] = {0, 0, 0xC0, 0xE0, 0xF0};

// Format flags of a frame, and the status flag that marks its content read-only.
constexpr unsigned char kCompressed23 = 0x80, kEncrypted23 = 0x40, kGrouped23 = 0x20;
constexpr unsigned char kGrouped24 = 0x40, kCompressed24 = 0x08, kEncrypted24 = 0x04, kUnsynchronised24 = 0x02,
                        kDataLength24 = 0x01;
constexpr unsigned char kKnownFormatFlags[] = {0, 0, 0, 0xE0, 0x4F};
constexpr unsigned char kReadOnly[] = {0, 0, 0, 0x20, 0x10};

// The CRC of a version 2.4 extended header is dropped with its flag, since it would cover bytes
// a splice changes. Its other flags each carry data of a known length: the tag is an update
// (none), restrictions (1).
constexpr unsigned char kCrc24 = 0x20;
constexpr std::pair<unsigned char, std::size_t> kExtendedFlags24[] = {{0x40, 0}, {kCrc24, 5}, {0x10, 1}};

constexpr std::size_t kLargestSize[] = {0, 0, (std::size_t{1} << 24) - 1, 0xFFFFFFFF, (std::size_t{1} << 28) - 1};

bool HasHighBytes(std::string_view bytes) {
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

std::size_t BigEndian(std::string_view bytes, int bitsPerByte = 8) {
    std::size_t value = 0;
    for (const char c : bytes) value = value << bitsPerByte | static_cast<unsigned char>(c);
    return value;
}

std::string ToBigEndian(std::size_t value, int bytes, int bitsPerByte = 8) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>((value >> (i * bitsPerByte)) & ((std::size_t{1} << bitsPerByte) - 1));
    return out;
}

std::string At(std::size_t offset) {
    return " at byte " + std::to_string(offset);
}

// An ID for a message: a NUL in it shows as \0.
std::string Named(std::string_view id) {
    std::string named;
    for (const char c : id) named += c == '\0' ? std::string("\\0") : std::string(1, c);
    return named;
}

bool IsUpperOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// An ID as the established readers take one: capital letters and digits only.
bool IsValidId(std::string_view id, std::size_t size = 4) {
    return id.size() == size && std::all_of(id.begin(), id.end(), IsUpperOrDigit);
}

// Whether bytes can be the ID of a frame: printable ASCII, after the first character also spaces
// and NULs (some programs leave a version 2.2 ID, NUL-padded, in a 2.3 tag). Readers that take
// fewer IDs stop at such a frame; its bytes are kept all the same. Anything else is not a frame.
bool CanBeId(std::string_view id) {
    auto printable = [](char c) { return c > ' ' && c < '\x7F'; };
    return !id.empty() && printable(id[0]) &&
           std::all_of(id.begin() + 1, id.end(), [&](char c) { return printable(c) || c == ' ' || c == '\0'; });
}

// Unsynchronisation puts a zero after every 0xFF that a zero or a byte from 0xE0 up follows,
// so that no reader takes the tag for the sync of the audio.
bool NeedsZeroAfterFf(char next) {
    return next == '\0' || static_cast<unsigned char>(next) >= 0xE0;
}

// bytes unsynchronised; a 0xFF at their end takes a zero when closeEnd is set.
std::string Unsynchronise(std::string_view bytes, bool closeEnd) {
    std::string out;
    out.reserve(bytes.size() + 4);
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        out += bytes[at];
        const bool last = at + 1 == bytes.size();
        if (bytes[at] == '\xFF' && (last ? closeEnd : NeedsZeroAfterFf(bytes[at + 1]))) out += '\0';
    }
    return out;
}

std::string Resynchronise(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        out += bytes[at];
        if (bytes[at] == '\xFF' && at + 1 < bytes.size() && bytes[at + 1] == '\0') ++at;
    }
    return out;
}

// Builds the body of a tag from pieces that lie as they will in the tag, unsynchronised where
// the tag is: a zero goes between two pieces where the first ends with 0xFF and the second
// begins with a byte that would make a false sync of it, and after a last 0xFF.
class BodyWriter {
public:
    explicit BodyWriter(bool unsynchronised) : unsynchronised_(unsynchronised) {}

    void AppendRaw(std::string_view bytes) {
        if (bytes.empty()) return;
        if (unsynchronised_ && endsWithFf_ && NeedsZeroAfterFf(bytes.front())) out_ += '\0';
        out_ += bytes;
        endsWithFf_ = bytes.back() == '\xFF';
    }
    // bytes as readers see them, unsynchronised here where the tag is.
    void AppendDecoded(std::string_view bytes) {
        if (!unsynchronised_) return AppendRaw(bytes);
        AppendRaw(Unsynchronise(bytes, false));
    }
    std::string Finish() {
        if (unsynchronised_ && endsWithFf_) out_ += '\0';
        return std::move(out_);
    }

private:
    bool unsynchronised_;
    bool endsWithFf_ = false;
    std::string out_;
};

}  // namespace

Id3v2Layout::Id3v2Layout() = default;

Id3v2Layout::Id3v2Layout(std::string_view tag) : tag_(tag) {
    if (Id3v2TagSize(tag) != tag.size()) throw Id3v2Error("the ID3v2 tag's size does not match its header");
    version_ = static_cast<unsigned char>(tag[3]);
    revision_ = static_cast<unsigned char>(tag[4]);
    flags_ = static_cast<unsigned char>(tag[5]);
    if ((flags_ & ~kKnownFlags[version_]) != 0)
        throw Id3v2Error("the ID3v2 tag's header has flags of a kind not known" + At(5));
    if (version_ == 2 && (flags_ & kCompressed22) != 0)
        throw Id3v2Error("the ID3v2.2 tag is marked as compressed, which no reader can read");
    const bool footer = version_ == 4 && (flags_ & kFooter) != 0;
    const std::size_t end = tag.size() - (footer ? kId3v2HeaderSize : 0);
    if (footer && tag.substr(end, 3) != "3DI") throw Id3v2Error("the ID3v2 tag's footer is missing" + At(end));
    std::size_t decodedEnd = end;
    if (version_ < 4 && (flags_ & kUnsynchronised) != 0) {
        decoded_ = tag.substr(0, kId3v2HeaderSize);
        for (std::size_t at = kId3v2HeaderSize; at < end; ++at) {
            decoded_ += tag[at];
            if (tag[at] != '\xFF' || at + 1 == end || tag[at + 1] != '\0') continue;
            droppedZeros_.push_back(decoded_.size());
            ++at;
        }
        decodedEnd = decoded_.size();
    }
    std::size_t start = kId3v2HeaderSize;
    if (version_ > 2 && (flags_ & kExtendedHeader) != 0)
        start += ReadExtendedHeader(Decoded().substr(start, decodedEnd - start));
    // Padding is zeros. Other bytes in it are kept as they lie: readers pass over them, and they
    // may be what is left of a frame that a program sized wrongly.
    const std::size_t padding = RawOffset(SplitFrames(start, decodedEnd), true);
    const std::string_view rest = tag.substr(padding, end - padding);
    remainder_ = rest.substr(0, rest.find_last_not_of('\0') + 1);  // npos + 1 == 0: none
    plain_ = plain_ && version_ > 2 && flags_ == 0 && remainder_.empty();
}

std::size_t Id3v2Layout::ReadExtendedHeader(std::string_view rest) {
    auto damaged = [](const std::string& what) {
        throw Id3v2Error("the ID3v2 tag's extended header " + what + At(kId3v2HeaderSize));
    };
    if (rest.size() < 6) damaged("is cut short");
    if (version_ == 3) {
        // A CRC and the size of the padding are all it may hold, and a splice changes both: it
        // is left out of a spliced tag.
        const std::size_t size = BigEndian(rest.substr(0, 4));
        if (size != 6 && size != 10) damaged("has a size, " + std::to_string(size) + ", that is neither 6 nor 10");
        if (rest.size() < 4 + size) damaged("is cut short");
        return 4 + size;
    }
    const std::size_t size = BigEndian(rest.substr(0, 4), 7);
    if (HasHighBytes(rest.substr(0, 4)) || size < 6 || size > rest.size()) damaged("has a size that cannot be");
    const auto flags = static_cast<unsigned char>(rest[5]);
    if (rest[4] != 1 || (flags & 0x8F) != 0) damaged("has flags of a kind not known");
    std::string kept;
    std::size_t at = 6;
    for (const auto& [flag, length] : kExtendedFlags24) {
        if ((flags & flag) == 0) continue;
        if (at >= size || static_cast<unsigned char>(rest[at]) != length || size - at < 1 + length)
            damaged("has flag data of a length that cannot be");
        if (flag != kCrc24) kept += rest.substr(at, 1 + length);
        at += 1 + length;
    }
    if (at != size) damaged("does not add up to its size");
    extendedHeader_ = ToBigEndian(6 + kept.size(), 4, 7) + '\x01' + static_cast<char>(flags & ~kCrc24) + kept;
    return size;
}

std::size_t Id3v2Layout::RawOffset(std::size_t decodedOffset, bool afterInsertedZero) const {
    const auto dropped = afterInsertedZero
                             ? std::upper_bound(droppedZeros_.begin(), droppedZeros_.end(), decodedOffset)
                             : std::lower_bound(droppedZeros_.begin(), droppedZeros_.end(), decodedOffset);
    return decodedOffset + static_cast<std::size_t>(dropped - droppedZeros_.begin());
}

// The size of the body of the frame at `at`. A version 2.4 size should be synchsafe, but some
// programs wrote plain integers: as established readers do, the plain reading is taken where
// the synchsafe one ends where no frame or padding begins and the plain one ends where a frame
// does. A tag whose reading TagLib would take otherwise is not plain.
std::size_t Id3v2Layout::FrameBodySize(std::size_t at, std::size_t end) {
    const std::string_view decoded = Decoded();
    if (version_ == 2) return BigEndian(decoded.substr(at + 3, 3));
    const std::string_view sizeBytes = decoded.substr(at + 4, 4);
    if (version_ == 3) return BigEndian(sizeBytes);
    const std::size_t plainSize = BigEndian(sizeBytes);
    if (HasHighBytes(sizeBytes)) {
        plain_ = false;
        return plainSize;
    }
    const std::size_t synchsafe = BigEndian(sizeBytes, 7);
    auto validIdAfter = [&](std::size_t size) {
        return end - at >= kId3v2HeaderSize + size && IsValidId(decoded.substr(at + kId3v2HeaderSize + size, 4));
    };
    auto frameOrPaddingAfter = [&](std::size_t size) {
        if (end - at < kId3v2HeaderSize + size) return false;
        const std::size_t next = at + kId3v2HeaderSize + size;
        return next == end || decoded[next] == '\0' || (end - next >= 4 && CanBeId(decoded.substr(next, 4)));
    };
    const bool tagLibTakesPlain = synchsafe > 127 && !validIdAfter(synchsafe) && validIdAfter(plainSize);
    const bool takePlain = !frameOrPaddingAfter(synchsafe) && (validIdAfter(plainSize) || at + 10 + plainSize == end);
    if (takePlain != tagLibTakesPlain) plain_ = false;
    return takePlain ? plainSize : synchsafe;
}

std::size_t Id3v2Layout::SplitFrames(std::size_t start, std::size_t end) {
    const std::string_view decoded = Decoded();
    const std::size_t headerSize = HeaderSize(), idSize = version_ == 2 ? 3 : 4;
    // TagLib takes the footer's size off the frames' bytes once more: a frame that ends in the
    // last ten bytes before the footer it reads cut short, or not at all.
    const std::size_t readersEnd = TakesPadding() ? end : end - std::min(end, kId3v2HeaderSize);
    std::size_t at = start;
    readersStop_ = std::string::npos;
    while (at < end && decoded[at] != '\0') {  // padding begins with a zero
        if (end - at < headerSize || !CanBeId(decoded.substr(at, idSize)))
            throw Id3v2Error("the ID3v2 tag holds bytes that are neither a frame nor padding" +
                             At(RawOffset(at, true)));
        Id3v2FrameSpan frame;
        frame.id = decoded.substr(at, idSize);
        frame.offset = RawOffset(at, true);
        frame.decodedOffset = at;
        frame.bodySize = FrameBodySize(at, end);
        if (frame.bodySize > end - at - headerSize)
            throw Id3v2Error("the frame " + Named(frame.id) + At(frame.offset) + " runs past the end of the ID3v2 tag");
        if (version_ > 2) {
            frame.statusFlags = static_cast<unsigned char>(decoded[at + 8]);
            frame.formatFlags = static_cast<unsigned char>(decoded[at + 9]);
        }
        at += headerSize + frame.bodySize;
        frame.size = RawOffset(at, false) - frame.offset;
        const bool readable = IsValidId(frame.id, idSize) && frame.bodySize > 0 && at <= readersEnd;
        if (!readable && readersStop_ == std::string::npos) readersStop_ = frames_.size();
        plain_ = plain_ && readable && frame.formatFlags == 0;
        frames_.push_back(std::move(frame));
    }
    if (readersStop_ == std::string::npos) readersStop_ = frames_.size();
    return at;
}

std::string_view Id3v2Layout::DecodedFrame(const Id3v2FrameSpan& frame) const {
    return Decoded().substr(frame.decodedOffset, HeaderSize() + frame.bodySize);
}

std::optional<std::string> Id3v2Layout::Payload(const Id3v2FrameSpan& frame) const {
    std::string_view body = DecodedFrame(frame).substr(HeaderSize());
    const unsigned char flags = frame.formatFlags;
    if ((flags & ~kKnownFormatFlags[version_]) != 0) return std::nullopt;
    if (version_ == 3) {
        if ((flags & (kCompressed23 | kEncrypted23)) != 0 || ((flags & kGrouped23) != 0 && body.empty()))
            return std::nullopt;
        return std::string(body.substr((flags & kGrouped23) != 0 ? 1 : 0));
    }
    if (version_ == 4) {
        if ((flags & (kCompressed24 | kEncrypted24)) != 0) return std::nullopt;
        const std::size_t skipped = ((flags & kGrouped24) != 0 ? 1 : 0) + ((flags & kDataLength24) != 0 ? 4 : 0);
        if (body.size() < skipped) return std::nullopt;
        body.remove_prefix(skipped);
        if ((flags & kUnsynchronised24) != 0 || (flags_ & kUnsynchronised) != 0) return Resynchronise(body);
    }
    return std::string(body);
}

bool Id3v2Layout::Rewritable(const Id3v2FrameSpan& frame) const {
    return frame.formatFlags == 0 && (frame.statusFlags & kReadOnly[version_]) == 0;
}

bool Id3v2Layout::TakesPadding() const {
    return version_ < 4 || (flags_ & kFooter) == 0;
}

std::string Id3v2Layout::SplicedBody(const Id3v2Splice& splice) const {
    const bool unsynchronised = (flags_ & kUnsynchronised) != 0;
    BodyWriter body(version_ < 4 && unsynchronised);
    body.AppendRaw(extendedHeader_);
    auto append = [&](const Id3v2NewFrame& frame) {
        if (frame.id.size() != (version_ == 2 ? 3u : 4u) || frame.body.size() > kLargestSize[version_])
            throw Id3v2Error("the frame " + frame.id + " cannot be written in an ID3v2." + std::to_string(version_) +
                             " tag");
        if (version_ == 2) return body.AppendDecoded(frame.id + ToBigEndian(frame.body.size(), 3) + frame.body);
        const std::string flags{static_cast<char>(frame.statusFlags), '\0'};
        if (version_ == 3) return body.AppendDecoded(frame.id + ToBigEndian(frame.body.size(), 4) + flags + frame.body);
        // Version 2.4 unsynchronises frame by frame, each marked so, where the tag says it does.
        const std::string data = unsynchronised ? Unsynchronise(frame.body, true) : frame.body;
        body.AppendRaw(frame.id + ToBigEndian(data.size(), 4, 7) + flags[0] +
                       static_cast<char>(unsynchronised ? kUnsynchronised24 : 0) + data);
    };
    for (const Id3v2NewFrame& frame : splice.first) append(frame);
    for (std::size_t at = 0; at < frames_.size(); ++at) {
        const Id3v2FrameEdit keep;
        const Id3v2FrameEdit& edit = at < splice.edits.size() ? splice.edits[at] : keep;
        if (edit.kind == Id3v2FrameEdit::Kind::Keep) body.AppendRaw(Raw(frames_[at]));
        if (edit.kind == Id3v2FrameEdit::Kind::Replace) append(edit.replacement);
    }
    body.AppendRaw(remainder_);
    return body.Finish();
}

std::string Id3v2Layout::Splice(const Id3v2Splice& splice, std::size_t size) const {
    const bool footer = !TakesPadding();
    const std::string body = SplicedBody(splice);
    const std::size_t used = kId3v2HeaderSize + body.size() + (footer ? kId3v2HeaderSize : 0);
    if (size != 0 && size < used) throw Id3v2Error("the new ID3v2 tag does not fit in its place");
    const std::size_t padding = size == 0 ? 0 : size - used;
    if (footer && padding > 0) throw Id3v2Error("an ID3v2 tag with a footer takes no padding");
    if (body.size() + padding > kLargestSize[4]) throw Id3v2Error("the new ID3v2 tag would be too large");
    std::string tag = "ID3";
    tag += static_cast<char>(version_);
    tag += static_cast<char>(revision_);
    tag += static_cast<char>(version_ == 3 ? flags_ & ~kExtendedHeader : flags_);
    tag += ToBigEndian(body.size() + padding, 4, 7);
    tag += body;
    tag.append(padding, '\0');
    if (footer) tag += "3DI" + tag.substr(3, 7);
    return tag;
}

void Id3v2Layout::CheckSplice(const Id3v2Splice& splice, std::string_view tag) const {
    const Id3v2Layout after = [&] {
        try {
            return Id3v2Layout(tag);
        } catch (const Id3v2Error& error) {
            throw Id3v2Error(std::string("the new ID3v2 tag would not read back (") + error.what() + ")");
        }
    }();
    std::size_t next = 0;
    auto expectNew = [&](const Id3v2NewFrame& frame) {
        if (next >= after.frames_.size() || after.frames_[next].id != frame.id ||
            after.Payload(after.frames_[next]) != frame.body)
            throw Id3v2Error("the new frame " + frame.id + " would not read back as it is written");
        ++next;
    };
    for (const Id3v2NewFrame& frame : splice.first) expectNew(frame);
    for (std::size_t at = 0; at < frames_.size(); ++at) {
        const Id3v2FrameEdit keep;
        const Id3v2FrameEdit& edit = at < splice.edits.size() ? splice.edits[at] : keep;
        if (edit.kind == Id3v2FrameEdit::Kind::Replace) expectNew(edit.replacement);
        if (edit.kind != Id3v2FrameEdit::Kind::Keep) continue;
        if (next >= after.frames_.size() || after.Raw(after.frames_[next]) != Raw(frames_[at]))
            throw Id3v2Error("the frame " + Named(frames_[at].id) + At(frames_[at].offset) +
                             " would not be kept as it is");
        ++next;
    }
    if (next != after.frames_.size() || after.version_ != version_)
        throw Id3v2Error("the new ID3v2 tag would hold frames that were not asked for");
    if (after.remainder_ != remainder_)
        throw Id3v2Error("the bytes after the frames of the ID3v2 tag would not be kept as they are");
}

}  // namespace sonatag
