// sonatag-cli at scale, each figure measured against its baseline in the same run:
// - show over 100,000 paths read from standard input against the same paths as arguments;
// - show over the 20,000 local files with -j 2, 8 and 16 against -j 1;
// - show over 2,000 files with 1 ms added to every file operation (latency_shim, as on a
//   network share), with -j 16 against -j 1.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/bench_corpus.h"

extern char** environ;

namespace sonatag::bench {
namespace {

constexpr int kCorpusFiles = 20'000;
constexpr int kListRepeats = 5;  // 100,000 paths
constexpr int kSlowFiles = 2'000;

std::unique_ptr<Corpus> corpus;
std::string corpusFolder;
std::vector<std::string> names;  // kListRepeats times the corpus, relative to corpusFolder
std::string listPath;            // the same names, one per line

struct Spawn {
    std::vector<std::string> arguments;
    std::string input = "/dev/null";
    std::string workingDir;
    std::vector<std::string> extraEnvironment;
};

// Runs sonatag-cli, its standard output thrown away; its exit status.
int RunCli(const Spawn& spawn) {
    std::vector<char*> argv{const_cast<char*>(SONATAG_CLI_PATH)};
    for (const std::string& argument : spawn.arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> env(
        environ, environ + [] {
            std::size_t n = 0;
            while (environ[n] != nullptr) ++n;
            return n;
        }());
    for (const std::string& extra : spawn.extraEnvironment) env.push_back(const_cast<char*>(extra.c_str()));
    env.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, spawn.input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (!spawn.workingDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, spawn.workingDir.c_str());
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, SONATAG_CLI_PATH, &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Measure(benchmark::State& state, const Spawn& spawn, int paths) {
    for (auto _ : state) {
        if (RunCli(spawn) != 0) state.SkipWithError("sonatag-cli show failed");
    }
    state.counters["us_per_file"] =
        benchmark::Counter(static_cast<double>(paths) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void PathsAsArguments(benchmark::State& state) {
    Spawn spawn{{"show", "--"}, "/dev/null", corpusFolder, {}};
    spawn.arguments.insert(spawn.arguments.end(), names.begin(), names.end());
    Measure(state, spawn, static_cast<int>(names.size()));
}

void PathsFromStandardInput(benchmark::State& state) {
    Measure(state, {{"show", "--files-from", "-"}, listPath, corpusFolder, {}}, static_cast<int>(names.size()));
}

void LocalShow(benchmark::State& state) {
    Spawn spawn{{"show", "-j", std::to_string(state.range(0)), "--"}, "/dev/null", corpusFolder, {}};
    spawn.arguments.insert(spawn.arguments.end(), names.begin(), names.begin() + kCorpusFiles);
    Measure(state, spawn, kCorpusFiles);
}

void SlowShareShow(benchmark::State& state) {
    Spawn spawn{{"show", "-j", std::to_string(state.range(0)), "--"},
                "/dev/null",
                corpusFolder,
                {"LD_PRELOAD=" LATENCY_SHIM_PATH}};
    spawn.arguments.insert(spawn.arguments.end(), names.begin(), names.begin() + kSlowFiles);
    Measure(state, spawn, kSlowFiles);
}

void PrintRatios(const MedianReporter& reporter) {
    std::printf("\nRatios of medians of this run:\n");
    reporter.PrintRatio("100,000 paths: standard input / arguments", "PathsFromStandardInput", "PathsAsArguments",
                        "at most 1.10x");
    reporter.PrintRatio("local files: -j 1 / -j 2", "LocalShow/1", "LocalShow/2", "at least 1.5x");
    reporter.PrintRatio("local files: -j 8 / -j 1", "LocalShow/8", "LocalShow/1", "at most 1.05x");
    reporter.PrintRatio("local files: -j 16 / -j 1", "LocalShow/16", "LocalShow/1", "at most 1.05x");
    reporter.PrintRatio("1 ms per file operation: -j 1 / -j 16", "SlowShareShow/1", "SlowShareShow/16", "at least 10x");
}

// 100,000 arguments need more than the 2 MB that an 8 MB stack allows them.
void MakeRoomForArguments() {
    rlimit stack{};
    ::getrlimit(RLIMIT_STACK, &stack);
    if (stack.rlim_cur != RLIM_INFINITY && stack.rlim_cur < (64u << 20)) {
        stack.rlim_cur = std::min<rlim_t>(64u << 20, stack.rlim_max);
        ::setrlimit(RLIMIT_STACK, &stack);
    }
}

}  // namespace
}  // namespace sonatag::bench

using namespace sonatag::bench;

BENCHMARK(PathsAsArguments)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PathsFromStandardInput)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LocalShow)->Arg(1)->Arg(2)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SlowShareShow)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    MakeRoomForArguments();

    corpus = std::make_unique<Corpus>(kCorpusFiles);
    corpusFolder = std::filesystem::path(corpus->paths().front()).parent_path().string();
    for (int repeat = 0; repeat < kListRepeats; ++repeat) {
        for (const std::string& path : corpus->paths())
            names.push_back(std::filesystem::path(path).filename().string());
    }
    listPath = corpusFolder + "/../paths.txt";
    if (std::FILE* list = std::fopen(listPath.c_str(), "w")) {
        for (const std::string& name : names) std::fprintf(list, "%s\n", name.c_str());
        std::fclose(list);
    }

    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter);
    corpus.reset();
    benchmark::Shutdown();
    return 0;
}
