#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The second readers of the tag layer: TagLib for ID3v2 tags, where Sonatag's own reading does
// not apply (compressed frames, say; tags whose frames cannot be split with certainty) and to
// confirm that a tag Sonatag spliced loses none of the frames TagLib finds; ICU's charset
// detector for texts that may be GBK. They live, with their libraries, in a module next to the
// program that is loaded the first time one is needed, so that a program that needs none of
// them, such as most runs of sonatag-cli, starts without loading those libraries. TagLib never
// renders a frame that Sonatag writes. Texts are UTF-8; tags are whole, as Id3v2TagSize
// measures them. All but DetectorPrefersOtherCjk throw Id3v2Error when the module cannot be
// loaded.
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

// Whether ICU's detector rates Big5, EUC-KR, EUC-JP or Shift_JIS above GB18030 for bytes; true,
// as unsure, when the module cannot be loaded.
bool DetectorPrefersOtherCjk(std::string_view bytes);

}  // namespace sonatag
