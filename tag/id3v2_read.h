#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "tag/id3v1_tag.h"
#include "tag/locked_file.h"

// Reading the ID3v2 tag at the head of a file that is open already.
namespace sonatag {

// The ID3v2 tag the file begins with, empty when it begins with none; the size its header gives
// in headSize (0 for none). Throws Id3v2Error when the tag's header cannot be right for this
// file, FileError when the file cannot be read.
std::string ReadHeadTag(const std::string& path, const LockedFile& file, std::size_t& headSize);

// ReadHeadTag, but empty for a tag that cannot be read.
std::string ReadHeadTagIfReadable(const std::string& path, const LockedFile& file, std::size_t& headSize);

// Whether tag, the ID3v2 tag at the head of a file, holds a title, artist or album other than
// the text of block, the file's ID3v1 block: players show the ID3v2 tag's texts in their place.
// A tag that cannot be read counts as not.
bool PlayersShowOtherTexts(std::string_view tag, const Id3v1Tag& block);

}  // namespace sonatag
