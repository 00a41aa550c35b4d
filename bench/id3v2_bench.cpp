// The ID3v2 mirror and the reading of both tags, each measured in one run against the ID3v1
// work it adds to: show --id3v2 against show, a mirror write in place against an ID3v1 write,
// and the safe rewrite of a file per megabyte against a bare copy of its bytes.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/bench_corpus.h"
#include "tag/cp936.h"
#include "tag/id3v2_file.h"
#include "tag/id3v2_layout.h"
#include "tag/id3v2_text.h"
#include "tag/tag_file.h"

extern char** environ;

namespace sonatag::bench {
namespace {

constexpr int kReadFileCount = 10'000;
constexpr int kWriteFileCount = 2'000;
constexpr int kRewriteFileCount = 8;
constexpr std::size_t kRewriteFileSize = 8 << 20;

std::unique_ptr<Corpus> corpus;

const TagUpdate kUpdate{Utf8ToCp936("新的标题").bytes, Utf8ToCp936("新的艺术家").bytes, Utf8ToCp936("新的专辑").bytes};
const MirrorTexts kMirror{"新的标题", "新的艺术家", "新的专辑"};

// A tag as taggers write them: the three texts, a 4 KiB cover and 1 KiB of padding.
std::string TypicalTag(int number) {
    const std::string picture = std::string("\0image/jpeg\0\x03\0", 14) + std::string(4096, '\x5A');
    const Id3v2Splice frames{{{"TIT2", Utf16TextBody("歌曲 " + std::to_string(number))},
                              {"TPE1", Utf16TextBody("艺术家")},
                              {"TALB", Utf16TextBody("专辑 Album")},
                              {"APIC", picture}},
                             {}};
    const Id3v2Layout empty;
    return empty.Splice(frames, empty.Splice(frames).size() + 1024);
}

// Files written afresh before each pass, outside the timing.
class Files {
public:
    void Add(const std::string& path, std::string bytes) {
        paths_.push_back(path);
        contents_.push_back(std::move(bytes));
    }
    void Restore() const {
        for (std::size_t i = 0; i < paths_.size(); ++i) WriteFile(paths_[i], contents_[i]);
        ::sync();
    }
    const std::vector<std::string>& paths() const { return paths_; }

private:
    std::vector<std::string> paths_;
    std::vector<std::string> contents_;
};

void Show(benchmark::State& state, std::vector<std::string> arguments) {
    arguments.insert(arguments.end(), corpus->paths().begin(), corpus->paths().end());
    for (auto _ : state) {
        if (sonatag::bench::RunProgram(SONATAG_CLI_PATH, arguments) != 0)
            state.SkipWithError("sonatag-cli show failed");
    }
}
void CliShow(benchmark::State& state) {
    Show(state, {"show", "--json"});
}
void CliShowId3v2(benchmark::State& state) {
    Show(state, {"show", "--json", "--id3v2"});
}

// The copies written by the mirror benchmarks: tagged at both ends, with room in the padding.
const Files& MirrorCopies() {
    static const Files files = [] {
        Files made;
        const std::string copies = std::filesystem::path(corpus->paths().front()).parent_path().string() + "/../mirror";
        std::filesystem::create_directory(copies);
        for (int i = 0; i < kWriteFileCount; ++i)
            made.Add(copies + "/" + std::to_string(i) + ".mp3", TypicalTag(i) + ReadFile(corpus->paths()[i]));
        return made;
    }();
    return files;
}

template <typename Write>
void MeasureWrites(benchmark::State& state, const Files& files, Write write) {
    for (auto _ : state) {
        state.PauseTiming();
        files.Restore();
        state.ResumeTiming();
        for (const std::string& path : files.paths()) write(path);
    }
    files.Restore();
}

void Id3v1Write(benchmark::State& state) {
    MeasureWrites(state, MirrorCopies(), [](const std::string& path) { UpdateTagFields(path, kUpdate); });
}
void MirrorWriteInPlace(benchmark::State& state) {
    MeasureWrites(state, MirrorCopies(), [&](const std::string& path) {
        if (UpdateTagsWithMirror(path, kUpdate, kMirror).id3v2 != HeadWrite::InPlace)
            state.SkipWithError("not written in place");
    });
}

// Large files without an ID3v2 tag, so that the mirror rewrites each of them.
const Files& LargeFiles() {
    static const Files files = [] {
        Files made;
        const std::string folder = std::filesystem::path(corpus->paths().front()).parent_path().string() + "/../large";
        std::filesystem::create_directory(folder);
        std::string audio = ReadFile(corpus->paths()[0]);
        while (audio.size() < kRewriteFileSize) audio += audio;
        audio.resize(kRewriteFileSize);
        for (int i = 0; i < kRewriteFileCount; ++i) made.Add(folder + "/" + std::to_string(i) + ".mp3", audio);
        return made;
    }();
    return files;
}

void CountMegabytes(benchmark::State& state) {
    state.counters["ms_per_MB"] =
        benchmark::Counter(static_cast<double>(kRewriteFileCount * kRewriteFileSize) / (1 << 20) / 1e3,
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// A bare copy of each file to a new file beside it, synced and renamed over it.
void CopyFloor(benchmark::State& state) {
    MeasureWrites(state, LargeFiles(), [](const std::string& path) {
        const std::string bytes = ReadFile(path);
        const std::string temporary = path + ".new";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        benchmark::DoNotOptimize(::write(fd, bytes.data(), bytes.size()));
        ::fsync(fd);
        ::close(fd);
        ::rename(temporary.c_str(), path.c_str());
    });
    CountMegabytes(state);
}
void MirrorRewrite(benchmark::State& state) {
    MeasureWrites(state, LargeFiles(), [&](const std::string& path) {
        if (UpdateTagsWithMirror(path, kUpdate, kMirror).id3v2 != HeadWrite::Rewritten)
            state.SkipWithError("not rewritten");
    });
    CountMegabytes(state);
}

void PrintRatios(const MedianReporter& reporter) {
    std::printf("\nRatios to the baselines (medians of this run's repetitions):\n");
    reporter.PrintRatio("show --json --id3v2 / show --json", "CliShowId3v2", "CliShow", "2x");
    reporter.PrintRatio("mirror write in place / ID3v1 write", "MirrorWriteInPlace", "Id3v1Write", "2x");
    reporter.PrintRatio("mirror rewrite / copy, sync and rename", "MirrorRewrite", "CopyFloor", "");
}

}  // namespace
}  // namespace sonatag::bench

using namespace sonatag::bench;

BENCHMARK(CliShow)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CliShowId3v2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Id3v1Write)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MirrorWriteInPlace)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CopyFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MirrorRewrite)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    corpus = std::make_unique<Corpus>(kReadFileCount);
    // A third of the corpus gets an ID3v2 tag in front of its audio.
    for (std::size_t i = 1; i < corpus->paths().size(); i += 3) {
        const std::string& path = corpus->paths()[i];
        WriteFile(path, TypicalTag(static_cast<int>(i)) + ReadFile(path));
    }
    ::sync();

    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter);
    corpus.reset();
    benchmark::Shutdown();
    return 0;
}
