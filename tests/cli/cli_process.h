#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/test_files.h"

namespace sonatag::test {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the built sonatag-cli with arguments, in workingDir when one is given, and waits for it.
CliResult RunCli(const std::vector<std::string>& arguments, const std::string& workingDir = "");
// The same with input as its standard input.
CliResult RunCliWithInput(const std::string& input, const std::vector<std::string>& arguments,
                          const std::string& workingDir = "");

// A 128-byte ID3v1 block with the given code page 936 fields (at most 30 bytes each) and the
// 35 bytes of year, comment and genre; by default those of a new block: spaces and genre 0xFF.
std::string TagBlock(std::string_view title, std::string_view artist, std::string_view album,
                     std::string_view tail = "");

// The last 128 bytes of the file.
std::string LastBlock(const std::string& path);

// Real MP3 files in a fresh folder.
class CliTest : public ::testing::Test {
protected:
    // A file name holding the MP3's audio followed by ending (a tag block, say).
    std::string MakeFile(std::string_view name, std::string_view ending = "") {
        const std::string path = dir.file(name);
        WriteBytes(path, audio + std::string(ending));
        return path;
    }

    TempDir dir;
    const std::string audio = MakeMp3(dir.file("tone.mp3"));
};

}  // namespace sonatag::test
