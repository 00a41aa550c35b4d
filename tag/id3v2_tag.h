#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sonatag {

constexpr std::size_t kId3v2HeaderSize = 10;
// Room left after the frames of a tag written into a new file, so that later edits fit in place.
constexpr std::size_t kId3v2Padding = 2048;
// A larger tag is not read: nothing a player shows needs it, and it is not kept in memory.
constexpr std::size_t kId3v2MaxSize = 64 * 1024 * 1024;

// A tag that cannot be read or rewritten; what() says why.
class Id3v2Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One of title, artist and album as players show it, UTF-8, decoded by the frame's encoding byte.
struct Id3v2Field {
    std::string text;
    std::string asGbk;  // the text read as GBK, where the frame looks like mislabelled GBK
    bool present = false;
    bool operator==(const Id3v2Field&) const = default;
};

struct Id3v2Fields {
    int version = 0;  // 2, 3 or 4
    Id3v2Field title;
    Id3v2Field artist;
    Id3v2Field album;
    bool operator==(const Id3v2Fields&) const = default;
};

// A text frame labelled ISO-8859-1 that holds GBK, with its text both ways, UTF-8.
struct FrameRepair {
    std::string frameId;
    std::string before;
    std::string after;
};

// Texts for TIT2, TPE1 and TALB, UTF-8; a text not given leaves its frame as it is.
struct MirrorTexts {
    std::optional<std::string> title;
    std::optional<std::string> artist;
    std::optional<std::string> album;
};

// The whole size (header, frames, padding, footer) of the ID3v2 tag that head begins with,
// or 0 when head does not begin with a well-formed ID3v2 header.
std::size_t Id3v2TagSize(std::string_view head);

// An ID3v2 tag, parsed and rendered by TagLib.
class Id3v2Tag {
public:
    // bytes: the whole tag as Id3v2TagSize measures it. Throws Id3v2Error.
    explicit Id3v2Tag(std::string_view bytes);
    ~Id3v2Tag();
    Id3v2Tag(Id3v2Tag&&) noexcept;
    Id3v2Tag& operator=(Id3v2Tag&&) noexcept;

    int version() const;
    Id3v2Fields Fields() const;
    // The ISO-8859-1 text frames that hold GBK. All such frames of the tag are judged together:
    // none is listed when any of them is not valid GBK or none is convincing.
    std::vector<FrameRepair> MislabelledFrames() const;

    // Writes the frames as UTF-16 with a byte order mark.
    void SetTexts(const MirrorTexts& texts);
    void RepairMislabelledFrames();

    // The frames as they will be written, at the tag's own version (2.2 becomes 2.3).
    // Throws Id3v2Error when some frame other than the ones changed here would not survive.
    std::string RenderFrames() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The fields of a tag laid out plainly (version 2.3 or 2.4 without unsynchronisation, extended
// header, footer or frame flags), its text frames decoded one by one where they hold one string
// in a known encoding (else by TagLib); empty for any other tag, which Id3v2Tag reads.
// tag: as Id3v2Tag takes it, or empty for a file without a tag (a new version 2.3 tag).
std::optional<Id3v2Fields> ReadPlainFields(std::string_view tag);

// The frames of such a tag with TIT2, TPE1 and TALB written as SetTexts writes them, first,
// and every other frame after them byte for byte; empty for any other tag.
std::optional<std::string> PlainFramesWithTexts(std::string_view tag, const MirrorTexts& texts);

// A complete tag of exactly size bytes: header, frames and zero padding (size >= 10 + frames).
std::string ComposeId3v2Tag(int version, std::string_view frames, std::size_t size);

// Reads untrusted bytes the way the tag layer does: the tag they begin with, if any, its
// fields, its mislabelled frames and a rendering. Never throws but for memory; for fuzzing.
void ExerciseId3v2Reading(std::string_view bytes);

}  // namespace sonatag
