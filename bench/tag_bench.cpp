// Reading and writing tags over a corpus of real MP3 files, measured in one run against the
// bare system calls that any reader or writer of the last 128 bytes has to make.

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/bench_corpus.h"
#include "tag/cp936.h"
#include "tag/tag_block.h"
#include "tag/tag_file.h"

extern char** environ;

namespace sonatag::bench {
namespace {

constexpr int kReadFileCount = 10'000;
constexpr int kWriteFileCount = 2'000;
constexpr off_t kBlockSize = sizeof(Id3v1Tag);

std::unique_ptr<Corpus> corpus;

const std::string kTitle = Utf8ToCp936("新的标题").bytes;
const std::string kArtist = Utf8ToCp936("新的艺术家").bytes;
const std::string kAlbum = Utf8ToCp936("新的专辑").bytes;

void CountFiles(benchmark::State& state, std::size_t files) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * files));
    state.counters["per_file"] = benchmark::Counter(
        static_cast<double>(files), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Processor time spent on the measured work, by this process and by the processes it started
// and waited for. Unlike the real time it hardly grows when other programs share the processors.
class CpuTimer {
public:
    template <typename Work>
    void Measure(Work work) {
        const double start = Seconds();
        work();
        total_ += Seconds() - start;
    }

    // As the counter cpu_ms: milliseconds per iteration.
    void Report(benchmark::State& state) const {
        state.counters["cpu_ms"] = benchmark::Counter(total_ * 1e3, benchmark::Counter::kAvgIterations);
    }

private:
    static double Seconds() {
        rusage self{}, children{};
        ::getrusage(RUSAGE_SELF, &self);
        ::getrusage(RUSAGE_CHILDREN, &children);
        return Seconds(self.ru_utime) + Seconds(self.ru_stime) + Seconds(children.ru_utime) +
               Seconds(children.ru_stime);
    }
    static double Seconds(const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec * 1e-6; }

    double total_ = 0;
};

std::vector<std::string> CliArguments(std::vector<std::string> arguments, const std::vector<std::string>& paths) {
    arguments.insert(arguments.end(), paths.begin(), paths.end());
    return arguments;
}

// --- reading ---

template <typename ReadAll>
void MeasureReads(benchmark::State& state, ReadAll readAll) {
    CpuTimer cpu;
    for (auto _ : state) cpu.Measure([&] { readAll(corpus->paths()); });
    cpu.Report(state);
    CountFiles(state, corpus->paths().size());
}

void ReadFloor(benchmark::State& state) {
    MeasureReads(state, [](const std::vector<std::string>& paths) {
        Id3v1Tag block;
        for (const std::string& path : paths) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            struct stat status {};
            ::fstat(fd, &status);
            if (status.st_size >= kBlockSize) ::pread(fd, &block, kBlockSize, status.st_size - kBlockSize);
            ::close(fd);
            benchmark::DoNotOptimize(block);
        }
    });
}

// The read floor with calls that ReadTagFields makes beyond it, to price each one, and
// kPathFirst: the type checked on an O_PATH descriptor, reopened through /proc instead.
enum ExtraCall { kStatFirst = 1, kFlock = 2, kOfdLock = 4, kPathFirst = 8 };

int OpenThroughPath(const std::string& path) {
    struct stat status {};
    const int pathFd = ::open(path.c_str(), O_PATH | O_CLOEXEC);
    ::fstat(pathFd, &status);
    const int fd = ::open(("/proc/self/fd/" + std::to_string(pathFd)).c_str(), O_RDONLY | O_CLOEXEC);
    ::close(pathFd);
    return fd;
}

void ReadFloorPlus(benchmark::State& state) {
    const int64_t extra = state.range(0);
    MeasureReads(state, [extra](const std::vector<std::string>& paths) {
        Id3v1Tag block;
        struct flock whole {};
        whole.l_type = F_RDLCK;
        whole.l_whence = SEEK_SET;
        for (const std::string& path : paths) {
            struct stat status {};
            if (extra & kStatFirst) ::stat(path.c_str(), &status);
            const int fd = extra & kPathFirst ? OpenThroughPath(path) : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (extra & kFlock) ::flock(fd, LOCK_SH | LOCK_NB);
            if (extra & kOfdLock) ::fcntl(fd, F_OFD_SETLK, &whole);
            ::fstat(fd, &status);
            if (status.st_size >= kBlockSize) ::pread(fd, &block, kBlockSize, status.st_size - kBlockSize);
            ::close(fd);
            benchmark::DoNotOptimize(block);
        }
    });
}

void ReadTagFieldsOverCorpus(benchmark::State& state) {
    MeasureReads(state, [](const std::vector<std::string>& paths) {
        for (const std::string& path : paths) benchmark::DoNotOptimize(ReadTagFields(path));
    });
}

void CliShowJson(benchmark::State& state) {
    const std::vector<std::string> arguments = CliArguments({"show", "--json"}, corpus->paths());
    MeasureReads(state, [&](const std::vector<std::string>&) {
        if (sonatag::bench::RunProgram(SONATAG_CLI_PATH, arguments) != 0)
            state.SkipWithError("sonatag-cli show failed");
    });
}

// Each reader run through xargs over the corpus's paths, as a user would run any of them.
struct Reader {
    const char* program;
    std::vector<std::string> arguments;
};
const Reader kReaders[] = {{READ_FLOOR_PATH, {}}, {SONATAG_CLI_PATH, {"show", "--json"}}, {"/usr/bin/id3tool", {}}};

void ThroughXargs(benchmark::State& state) {
    const Reader& reader = kReaders[state.range(0)];
    static const std::string list = [] {
        const std::string path = std::filesystem::path(corpus->paths().front()).parent_path().string() + "/../list";
        std::string paths;
        for (const std::string& file : corpus->paths()) paths += file + '\n';
        WriteFile(path, paths);
        return path;
    }();
    std::vector<std::string> arguments = {"-a", list, "-d", "\n", reader.program};
    arguments.insert(arguments.end(), reader.arguments.begin(), reader.arguments.end());
    if (::access(reader.program, X_OK) != 0) state.SkipWithError((std::string(reader.program) + " is missing").c_str());
    MeasureReads(state, [&](const std::vector<std::string>&) {
        if (sonatag::bench::RunProgram("/usr/bin/xargs", arguments) != 0) state.SkipWithError("a reader failed");
    });
}

// --- writing, each pass over copies restored to their first bytes outside the timing ---

template <typename WriteAll>
void MeasureWrites(benchmark::State& state, WriteAll writeAll) {
    const std::vector<std::string>& copies = corpus->Copies(kWriteFileCount);
    CpuTimer cpu;
    for (auto _ : state) {
        state.PauseTiming();
        corpus->RestoreCopies();
        state.ResumeTiming();
        cpu.Measure([&] { writeAll(copies); });
    }
    corpus->RestoreCopies();
    cpu.Report(state);
    CountFiles(state, copies.size());
}

void WriteFloor(benchmark::State& state) {
    const Id3v1Tag newBlock = BuildTagBlock(kTitle, kArtist, kAlbum);
    MeasureWrites(state, [&](const std::vector<std::string>& copies) {
        Id3v1Tag old;
        for (const std::string& path : copies) {
            const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
            struct stat status {};
            ::fstat(fd, &status);
            ::pread(fd, &old, kBlockSize, status.st_size - kBlockSize);
            const off_t at = HasTagIdentifier(old) ? status.st_size - kBlockSize : status.st_size;
            ::pwrite(fd, &newBlock, kBlockSize, at);
            ::close(fd);
        }
    });
}

void WriteTagFieldsOverCopies(benchmark::State& state) {
    MeasureWrites(state, [](const std::vector<std::string>& copies) {
        for (const std::string& path : copies) {
            benchmark::DoNotOptimize(WriteTagFields(path, kTitle, kArtist, kAlbum));
        }
    });
}

void CliSet(benchmark::State& state) {
    const std::vector<std::string> arguments =
        CliArguments({"set", "--title", "新的标题", "--artist", "新的艺术家", "--album", "新的专辑"},
                     corpus->Copies(kWriteFileCount));
    MeasureWrites(state, [&](const std::vector<std::string>&) {
        if (sonatag::bench::RunProgram(SONATAG_CLI_PATH, arguments) != 0) state.SkipWithError("sonatag-cli set failed");
    });
}

// --- the ratios against the floors, from the runs of this process ---

void PrintRatios(const MedianReporter& reporter) {
    std::printf("\nRatios to the floors (medians of this run's repetitions):\n");
    reporter.PrintRatio("read floor + stat before open", "ReadFloorPlus/extra:1", "ReadFloor", "");
    reporter.PrintRatio("read floor, O_PATH + fstat + reopen", "ReadFloorPlus/extra:8", "ReadFloor", "");
    reporter.PrintRatio("read floor + flock", "ReadFloorPlus/extra:2", "ReadFloor", "");
    reporter.PrintRatio("read floor + OFD lock", "ReadFloorPlus/extra:4", "ReadFloor", "");
    reporter.PrintRatio("read floor + all three", "ReadFloorPlus/extra:7", "ReadFloor", "");
    reporter.PrintRatio("ReadTagFields / read floor", "ReadTagFieldsOverCorpus", "ReadFloor", "1.3x");
    reporter.PrintRatio("sonatag-cli show --json / read floor", "CliShowJson", "ReadFloor", "");
    reporter.PrintRatio("through xargs: show --json / read floor", "ThroughXargs/reader:1", "ThroughXargs/reader:0",
                        "1.3x");
    reporter.PrintRatio("through xargs: id3tool / read floor", "ThroughXargs/reader:2", "ThroughXargs/reader:0", "");
    reporter.PrintRatio("through xargs: show --json / id3tool", "ThroughXargs/reader:1", "ThroughXargs/reader:2",
                        "below 1x");
    reporter.PrintRatio("WriteTagFields / write floor", "WriteTagFieldsOverCopies", "WriteFloor", "");
    reporter.PrintRatio("sonatag-cli set / write floor", "CliSet", "WriteFloor", "1.6x");
}

}  // namespace
}  // namespace sonatag::bench

using namespace sonatag::bench;

BENCHMARK(ReadFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ReadFloorPlus)
    ->ArgName("extra")
    ->Arg(kStatFirst)
    ->Arg(kPathFirst)
    ->Arg(kFlock)
    ->Arg(kOfdLock)
    ->Arg(kStatFirst | kFlock | kOfdLock)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(ReadTagFieldsOverCorpus)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CliShowJson)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ThroughXargs)->ArgName("reader")->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(WriteFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(WriteTagFieldsOverCopies)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CliSet)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    corpus = std::make_unique<Corpus>(kReadFileCount);
    for (const std::string& path : corpus->paths()) benchmark::DoNotOptimize(sonatag::ReadTagFields(path));

    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter);
    corpus.reset();
    benchmark::Shutdown();
    return 0;
}
