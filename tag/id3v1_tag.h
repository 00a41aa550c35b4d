#pragma once

namespace sonatag {

// The 128-byte ID3v1 block exactly as it lies at the end of an MP3 file.
struct Id3v1Tag {
    char identifier[3];
    char title[30];
    char artist[30];
    char album[30];
    char year[4];
    char comment[30];
    char genre;
};

static_assert(sizeof(Id3v1Tag) == 128, "an ID3v1 block is exactly 128 bytes");

inline constexpr int kFieldSize = 30;

}  // namespace sonatag
