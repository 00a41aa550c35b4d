#include "tests/support/test_files.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace sonatag::test {

TempDir::TempDir() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() / ("sonatag-test-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string MakeMp3(const std::string& path) {
    static const std::string tone = [] {
        TempDir dir;
        const std::string made = dir.file("tone.mp3");
        const std::string command = "sox -q -n -r 44100 -c 1 '" + made + "' synth 0.5 sine 440";
        if (std::system(command.c_str()) != 0) throw std::runtime_error("sox could not make an MP3");
        return ReadBytes(made);
    }();
    WriteBytes(path, tone);
    return tone;
}

std::string TagBlock(std::string_view title, std::string_view artist, std::string_view album, std::string_view tail) {
    std::string block = "TAG";
    for (const std::string_view field : {title, artist, album}) {
        block += field;
        block.append(30 - field.size(), '\0');
    }
    return block + std::string(tail.empty() ? kFreshTail : tail);
}

std::string LastBlock(const std::string& path) {
    const std::string bytes = ReadBytes(path);
    return bytes.substr(bytes.size() - std::min<std::size_t>(bytes.size(), 128));
}

}  // namespace sonatag::test
