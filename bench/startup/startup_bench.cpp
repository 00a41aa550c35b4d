// Start-up of the program, from process start to its window painted on the offscreen
// platform, against a bare Qt dialog program started the same way in the same run.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Runs a probe and returns the seconds from just before it was started to its first paint.
double SecondsToFirstPaint(const char* probe) {
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    char* argv[] = {const_cast<char*>(probe), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, probe, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) throw std::runtime_error(std::string("cannot start ") + probe);

    std::string text;
    char buffer[64];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || text.empty())
        throw std::runtime_error(std::string(probe) + " did not report its first paint");

    const std::chrono::steady_clock::time_point shown{std::chrono::nanoseconds(std::stoll(text))};
    return std::chrono::duration<double>(shown - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Each iteration starts both programs, in turns first, so that both see the same machine.
// The iteration time is the program's; the counters give both medians and their ratio.
void BM_StartupToFirstPaint(benchmark::State& state) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    SecondsToFirstPaint(SONATAG_BARE_DIALOG_PROBE);  // warm the file cache
    SecondsToFirstPaint(SONATAG_PROBE);
    std::vector<double> baseline;
    std::vector<double> program;
    for (auto _ : state) {
        if (baseline.size() % 2 == 0) baseline.push_back(SecondsToFirstPaint(SONATAG_BARE_DIALOG_PROBE));
        program.push_back(SecondsToFirstPaint(SONATAG_PROBE));
        if (baseline.size() < program.size()) baseline.push_back(SecondsToFirstPaint(SONATAG_BARE_DIALOG_PROBE));
        state.SetIterationTime(program.back());
    }
    const double baselineMedian = Median(baseline);
    const double programMedian = Median(program);
    state.counters["bare_dialog_ms"] = baselineMedian * 1e3;
    state.counters["sonatag_ms"] = programMedian * 1e3;
    state.counters["ratio"] = programMedian / baselineMedian;
}

}  // namespace

BENCHMARK(BM_StartupToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

BENCHMARK_MAIN();
