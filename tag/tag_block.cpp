#include "tag/tag_block.h"

#include <cstring>

#include "tag/field_rules.h"

namespace sonatag {
namespace {

constexpr unsigned char kNoGenre = 0xFF;

std::string ReadField(const char (&bytes)[kFieldSize]) {
    char text[kFieldSize + 1];
    CopyFieldBytes(text, std::string_view(bytes, kFieldSize), kFieldSize);
    TrimFieldEnd(text);
    return text;
}

}  // namespace

bool HasTagIdentifier(const Id3v1Tag& block) {
    return std::memcmp(block.identifier, "TAG", 3) == 0;
}

Id3v1Tag BuildTagBlock(std::string_view title, std::string_view artist, std::string_view album) {
    Id3v1Tag block;
    CopyFieldBytes(block.identifier, "TAG", sizeof block.identifier);
    CopyFieldBytes(block.title, title, kFieldSize);
    CopyFieldBytes(block.artist, artist, kFieldSize);
    CopyFieldBytes(block.album, album, kFieldSize);
    std::memset(block.year, ' ', sizeof block.year);
    std::memset(block.comment, ' ', sizeof block.comment);
    block.genre = static_cast<char>(kNoGenre);
    return block;
}

TagReadResult ParseTagBlock(const Id3v1Tag& block) {
    if (!HasTagIdentifier(block)) return {ReadOutcome::NoTag, {}};
    return {ReadOutcome::Found, {ReadField(block.title), ReadField(block.artist), ReadField(block.album)}};
}

std::string BytesOf(const Id3v1Tag& block) {
    return std::string(reinterpret_cast<const char*>(&block), sizeof block);
}

}  // namespace sonatag
