#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

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

}  // namespace sonatag::test
