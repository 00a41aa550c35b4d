#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// TagLib as a second reader of ID3v2 tags: for text frames in forms Sonatag's own decoder leaves
// to it (compressed ones, say), for tags whose frames Sonatag cannot split with certainty, and to
// confirm that a tag Sonatag spliced loses none of the frames TagLib finds. TagLib never renders
// a frame that Sonatag writes. Texts are UTF-8; tags are whole, as Id3v2TagSize measures them.
namespace sonatag {

// The text of one text frame, its strings joined by a space. frame: its header and body with the
// tag's unsynchronisation undone; tagHeader: the tag's first ten bytes.
std::string TagLibFrameText(std::string_view frame, std::string_view tagHeader);

// Title, artist and album (TIT2, TPE1, TALB), each empty where the tag has no such frame.
std::array<std::optional<std::string>, 3> TagLibFields(std::string_view tag);

// The name TagLib gives a frame ID of the tag's version (TT2 in version 2.2 is its TIT2).
std::string TagLibFrameId(std::string_view id, int version);

// The frames, by TagLib's IDs, that TagLib finds in before and not in after; frames whose IDs
// are in rewritten are left out on both sides.
std::vector<std::string> FramesTagLibLoses(std::string_view before, std::string_view after,
                                           std::span<const std::string> rewritten);

}  // namespace sonatag
