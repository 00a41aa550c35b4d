#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace sonatag::bench {

// A folder of small real MP3 files, two thirds of them ending in an ID3v1 block, with
// names holding spaces and Chinese characters. Removed with everything in it at the end.
class Corpus {
public:
    explicit Corpus(int fileCount);
    ~Corpus();
    Corpus(const Corpus&) = delete;
    Corpus& operator=(const Corpus&) = delete;

    const std::vector<std::string>& paths() const { return paths_; }

    // Copies of the first count files in a folder of their own, made once.
    const std::vector<std::string>& Copies(int count);
    // Puts the copies back to the bytes they were made with.
    void RestoreCopies();

private:
    std::filesystem::path root_;
    std::vector<std::string> paths_;
    std::vector<std::string> contents_;  // per file, for the copies
    std::vector<std::string> copies_;
};

// The median of values; 0 when there are none.
double Median(std::vector<double> values);

// Runs program with arguments, its standard output thrown away; its exit status, -1 when it could
// not be started or did not exit.
int RunProgram(const char* program, const std::vector<std::string>& arguments);

}  // namespace sonatag::bench
