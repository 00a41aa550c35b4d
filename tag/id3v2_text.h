#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tag/id3v2_layout.h"

// The text frames of an ID3v2 tag as players show them, and the ones that hold GBK labelled
// ISO-8859-1. show --id3v2, the list's tooltip and repair all read tags through here, so what
// one marks as GBK is what repair converts. Texts are UTF-8.
namespace sonatag {

// One of title, artist and album as players show it.
struct Id3v2Field {
    std::string text;
    std::string asGbk;  // the text read as GBK, where repair would convert the frame
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

// A text frame labelled ISO-8859-1 that holds GBK, with its text both ways.
struct FrameRepair {
    std::string frameId;
    std::string before;
    std::string after;
};

// A frame of the layout that repair converts: where it stands, and the body it takes.
struct MislabelledFrame {
    std::size_t index = 0;
    FrameRepair repair;
    std::string body;
};

// The IDs of title, artist and album in a tag of the version: TT2, TP1, TAL in 2.2.
std::array<std::string, 3> MirroredFrameIds(int version);

// The body of a text frame holding utf8 as UTF-16 with a byte order mark.
std::string Utf16TextBody(std::string_view utf8);

// The text frames that hold GBK labelled ISO-8859-1 and whose content can be rewritten (no
// format flags, not read-only), in the tag's order. All ISO-8859-1 text frames of the tag are
// judged together: none is listed unless their bytes together look like GBK (LooksLikeGbk).
std::vector<MislabelledFrame> MislabelledFrames(const Id3v2Layout& layout);

// Title, artist and album as players show them, each decoded by Sonatag where its content is
// in a plain form, by TagLib otherwise.
Id3v2Fields ReadId3v2Fields(const Id3v2Layout& layout);

// A tag whose frames cannot be split with certainty, as TagLib reads it.
Id3v2Fields ReadId3v2FieldsWithTagLib(std::string_view tag);

}  // namespace sonatag
