#pragma once

#include <string>
#include <string_view>

#include "tag/id3v1_tag.h"

namespace sonatag {

// Texts here are byte strings in code page 936.
struct TagFields {
    std::string title;
    std::string artist;
    std::string album;

    bool operator==(const TagFields&) const = default;
};

enum class ReadOutcome { TooShort, NoTag, Found };
enum class WriteOutcome { TooShort, Written };

struct TagReadResult {
    ReadOutcome outcome = ReadOutcome::NoTag;
    TagFields fields;  // meaningful only when outcome is Found
};

// True when the block begins with the identifier "TAG" (case-sensitive).
bool HasTagIdentifier(const Id3v1Tag& block);

Id3v1Tag BuildTagBlock(std::string_view title, std::string_view artist, std::string_view album);

// NoTag or Found with the three texts.
TagReadResult ParseTagBlock(const Id3v1Tag& block);

// The 128 bytes of the block, as they lie in a file.
std::string BytesOf(const Id3v1Tag& block);

}  // namespace sonatag
