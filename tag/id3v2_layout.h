#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tag/id3v2_header.h"

// Where the frames of an ID3v2 tag (versions 2.2 to 2.4) begin and end, found by Sonatag's own
// splitter, and new tags spliced from old ones: the only bytes written anew are the header, the
// frames Sonatag writes and the padding; every other frame is copied as it lies.
namespace sonatag {

// A frame as it lies in a tag.
struct Id3v2FrameSpan {
    std::string id;                 // three characters in version 2.2, four in 2.3 and 2.4
    std::size_t offset = 0;         // of its header in the tag as it lies in the file
    std::size_t size = 0;           // of its header and body there
    std::size_t decodedOffset = 0;  // of its header in Id3v2Layout::Decoded()
    std::size_t bodySize = 0;       // of its body there
    unsigned char statusFlags = 0;  // none in version 2.2
    unsigned char formatFlags = 0;
};

// A frame Sonatag writes: its body as readers see it, before any unsynchronisation.
struct Id3v2NewFrame {
    std::string id;
    std::string body;
    unsigned char statusFlags = 0;
};

// What a splice makes of each frame of a tag: kept as it lies, replaced in its place, or left out.
struct Id3v2FrameEdit {
    enum class Kind { Keep, Replace, Drop } kind = Kind::Keep;
    Id3v2NewFrame replacement{};
};

struct Id3v2Splice {
    std::vector<Id3v2NewFrame> first;   // written before every frame of the old tag
    std::vector<Id3v2FrameEdit> edits;  // by position; frames beyond its end are kept
};

class Id3v2Layout {
public:
    // A new, empty version 2.3 tag.
    Id3v2Layout();
    // Splits tag, the whole tag as Id3v2TagSize measures it, which must outlive the layout.
    // Throws Id3v2Error saying what is wrong and at which byte when the frames' boundaries
    // cannot be found with certainty.
    explicit Id3v2Layout(std::string_view tag);

    int version() const { return version_; }
    const std::vector<Id3v2FrameSpan>& frames() const { return frames_; }
    // The tag with the unsynchronisation of the whole tag undone (versions 2.2 and 2.3).
    std::string_view Decoded() const { return decoded_.empty() ? tag_ : decoded_; }
    std::string_view Raw(const Id3v2FrameSpan& frame) const { return tag_.substr(frame.offset, frame.size); }
    // The frame with its header as readers see it, for a second reader.
    std::string_view DecodedFrame(const Id3v2FrameSpan& frame) const;
    // The frame's content as readers see it: after its grouping byte, data length indicator and
    // unsynchronisation; empty where it is compressed, encrypted or flagged in a way not known.
    std::optional<std::string> Payload(const Id3v2FrameSpan& frame) const;
    // Whether the frame's content is its body as it lies: no format flags, nothing read-only.
    bool Rewritable(const Id3v2FrameSpan& frame) const;
    // Laid out so plainly (version 2.3 or 2.4, no unsynchronisation, extended header or footer,
    // frames with valid IDs, no flags and some content, zero padding) that every reader finds
    // the same frames in it.
    bool plain() const { return plain_; }
    // Whether padding may follow the frames: not in a tag with a footer.
    bool TakesPadding() const;
    // Where the established readers stop reading: the first frame they cannot take (its ID not of
    // capital letters and digits, no content, or in a tag with a footer its end in the last ten
    // bytes before the footer, which TagLib reads cut short or not at all), or the number of frames.
    std::size_t ReadersStopAt() const { return readersStop_; }

    // The new tag of exactly size bytes; size 0 takes the smallest size it can have. Throws
    // Id3v2Error where it cannot be made (a tag with a footer takes no padding).
    std::string Splice(const Id3v2Splice& splice, std::size_t size = 0) const;
    // Checks that tag, spliced from this one, holds the frames splice asks for and every kept
    // frame byte for byte in its order; throws Id3v2Error naming the first frame that is not so.
    void CheckSplice(const Id3v2Splice& splice, std::string_view tag) const;

private:
    std::size_t ReadExtendedHeader(std::string_view rest);
    // Splits the frames between start and end in Decoded(); where the padding begins.
    std::size_t SplitFrames(std::size_t start, std::size_t end);
    std::size_t FrameBodySize(std::size_t at, std::size_t end);
    // Where a byte of Decoded() lies in the tag: before (false) or after (true) a zero that
    // unsynchronisation put just before it.
    std::size_t RawOffset(std::size_t decodedOffset, bool afterInsertedZero) const;
    std::string SplicedBody(const Id3v2Splice& splice) const;
    std::size_t HeaderSize() const { return version_ == 2 ? 6 : 10; }

    std::string_view tag_;
    std::string decoded_;                    // only for a tag unsynchronised as a whole
    std::vector<std::size_t> droppedZeros_;  // where in decoded_ a zero of unsynchronisation went
    int version_ = 3;
    unsigned char revision_ = 0;
    unsigned char flags_ = 0;
    std::string extendedHeader_;  // of version 2.4 as a splice writes it, without a CRC
    std::vector<Id3v2FrameSpan> frames_;
    std::size_t readersStop_ = 0;
    std::string_view remainder_;  // the bytes of the padding that are not zero, up to its last such byte
    bool plain_ = true;
};

}  // namespace sonatag
