#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

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

// The console's report, keeping the real time of each repetition (and its "cpu_ms" counter,
// where a benchmark sets one) by name, "Function" or "Function/args", for figures at the end.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    MedianReporter();
    void ReportRuns(const std::vector<Run>& runs) override;

    // The median real time of a benchmark's repetitions; 0 when it did not run or failed.
    double RealMedian(const std::string& name) const;
    // Prints top's median over bottom's, and their CPU times' where both were counted.
    void PrintRatio(const char* label, const std::string& top, const std::string& bottom, const char* goal) const;

private:
    struct Times {
        std::vector<double> real;
        std::vector<double> cpu;
    };
    std::map<std::string, Times> times_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

// Runs program with arguments, its standard output thrown away; its exit status, -1 when it could
// not be started or did not exit.
int RunProgram(const char* program, const std::vector<std::string>& arguments);

}  // namespace sonatag::bench
