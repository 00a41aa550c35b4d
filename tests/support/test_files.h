#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sonatag::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(std::string_view name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, std::string_view bytes);

// A short, real, playable MP3 (a sine tone, no ID3v1 block) made once per process with sox
// and copied to path. Returns its bytes.
std::string MakeMp3(const std::string& path);

// Year, comment and genre of a block freshly appended: spaces and "no genre".
inline const std::string kFreshTail = std::string(34, ' ') + "\xFF";
// Year, comment, a track number and a genre that another program stored.
inline const std::string kStoredTail = "1999a comment" + std::string(20, '\0') + "\x07\x11";

// A 128-byte ID3v1 block with the given code page 936 fields (at most 30 bytes each), each
// padded with NUL, followed by the 35 bytes of year, comment and genre (a new block's when empty).
std::string TagBlock(std::string_view title, std::string_view artist, std::string_view album,
                     std::string_view tail = kFreshTail);

// The last 128 bytes of the file.
std::string LastBlock(const std::string& path);

// Real MP3 files in a fresh folder.
class Mp3Test : public ::testing::Test {
protected:
    // The file name, holding the MP3's audio followed by ending (a tag block, say); its path.
    std::string MakeFile(std::string_view name, std::string_view ending = "") {
        WriteBytes(dir.file(name), audio + std::string(ending));
        return dir.file(name);
    }

    TempDir dir;
    const std::string audio = MakeMp3(dir.file("tone.mp3"));
};

}  // namespace sonatag::test
