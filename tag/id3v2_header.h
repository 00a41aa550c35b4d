#pragma once

#include <cstddef>
#include <stdexcept>
#include <string_view>

// The ten bytes that begin an ID3v2 tag, which is all the rest of the tag layer needs to know
// of one: how far it reaches into the file.
namespace sonatag {

inline constexpr std::size_t kId3v2HeaderSize = 10;
// Room left after the frames of a tag written into a new file, so that later edits fit in place.
inline constexpr std::size_t kId3v2Padding = 2048;
// A larger tag is not read: nothing a player shows needs it, and it is not kept in memory.
inline constexpr std::size_t kId3v2MaxSize = 64 * 1024 * 1024;

// A tag that cannot be read or rewritten with certainty; what() says why, and where.
class Id3v2Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The whole size (header, frames, padding, footer) of the ID3v2 tag that head begins with,
// or 0 when head does not begin with a well-formed ID3v2 header.
std::size_t Id3v2TagSize(std::string_view head);

}  // namespace sonatag
