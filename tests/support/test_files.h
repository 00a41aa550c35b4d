#pragma once

#include <cstdint>
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

// Folders, each named name, nested in parent so deep that the innermost has a path longer
// than the system takes: opening it by its path fails, even for root. Made and removed one
// level at a time, each through its parent.
class TooDeepFolder {
public:
    TooDeepFolder(const std::filesystem::path& parent, const std::string& name);
    ~TooDeepFolder();
    TooDeepFolder(const TooDeepFolder&) = delete;
    TooDeepFolder& operator=(const TooDeepFolder&) = delete;

private:
    std::string name_;
    std::vector<int> levels_;  // open descriptors, parent first
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, std::string_view bytes);

// A short, real, playable MP3 (a sine tone, no ID3v1 block) made once per process with sox
// and copied to path. Returns its bytes.
std::string MakeMp3(const std::string& path);

}  // namespace sonatag::test
