#include "bench/bench_corpus.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include "tag/cp936.h"
#include "tag/tag_block.h"

extern char** environ;

namespace sonatag::bench {
namespace {

[[noreturn]] void Fail(const std::string& doing) {
    throw std::system_error(errno, std::generic_category(), doing);
}

std::string MakeTone(const std::filesystem::path& folder) {
    const std::string path = (folder / "tone.mp3").string();
    const std::string command = "sox -q -n -r 44100 -c 1 '" + path + "' synth 0.2 sine 440";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("sox could not make an MP3");
    return ReadFile(path);
}

std::string Block(int number) {
    const std::string title = Utf8ToCp936("歌曲 " + std::to_string(number)).bytes;
    const std::string artist = Utf8ToCp936(number % 2 ? "艺术家" : "Some Artist").bytes;
    const std::string album = Utf8ToCp936("专辑 Album").bytes;
    const Id3v1Tag block = BuildTagBlock(title, artist, album);
    return {reinterpret_cast<const char*>(&block), sizeof block};
}

std::string FileName(int number) {
    char name[64];
    std::snprintf(name, sizeof name, "曲目 %05d - 歌手 %d.mp3", number, number % 7);
    return name;
}

}  // namespace

void WriteFile(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) Fail("cannot create " + path);
    const bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ::close(fd);
    if (!written) Fail("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Corpus::Corpus(int fileCount) {
    std::string folder = (std::filesystem::temp_directory_path() / "sonatag-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) Fail("cannot make a folder for the corpus");
    root_ = folder;
    std::filesystem::create_directory(root_ / "corpus");
    std::filesystem::create_directory(root_ / "copies");

    const std::string tone = MakeTone(root_);
    for (int i = 0; i < fileCount; ++i) {
        contents_.push_back(i % 3 == 0 ? tone : tone + Block(i));
        paths_.push_back((root_ / "corpus" / FileName(i)).string());
        WriteFile(paths_.back(), contents_.back());
    }
    ::sync();  // nothing left for writeback to do while measuring
}

Corpus::~Corpus() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

const std::vector<std::string>& Corpus::Copies(int count) {
    if (copies_.empty()) {
        for (int i = 0; i < count; ++i) {
            copies_.push_back((root_ / "copies" / FileName(i)).string());
            WriteFile(copies_.back(), contents_[i]);
        }
        ::sync();
    }
    return copies_;
}

void Corpus::RestoreCopies() {
    for (std::size_t i = 0; i < copies_.size(); ++i) {
        const std::string& original = contents_[i];
        const int fd = ::open(copies_[i].c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) Fail("cannot open " + copies_[i]);
        // A write either appended a block or overwrote the last 128 bytes; undo both.
        const off_t tail = static_cast<off_t>(original.size()) - 128;
        const bool restored = ::ftruncate(fd, static_cast<off_t>(original.size())) == 0 &&
                              ::pwrite(fd, original.data() + tail, 128, tail) == 128;
        ::close(fd);
        if (!restored) Fail("cannot restore " + copies_[i]);
    }
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

MedianReporter::MedianReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

void MedianReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
        const std::string& args = run.run_name.args;
        Times& times = times_[run.run_name.function_name + (args.empty() ? "" : "/" + args)];
        times.real.push_back(run.GetAdjustedRealTime());
        const auto cpu = run.counters.find("cpu_ms");
        if (cpu != run.counters.end()) times.cpu.push_back(cpu->second.value);
    }
    ConsoleReporter::ReportRuns(runs);
}

double MedianReporter::RealMedian(const std::string& name) const {
    const auto found = times_.find(name);
    return found == times_.end() ? 0 : Median(found->second.real);
}

void MedianReporter::PrintRatio(const char* label, const std::string& top, const std::string& bottom,
                                const char* goal) const {
    const auto topTimes = times_.find(top), bottomTimes = times_.find(bottom);
    if (topTimes == times_.end() || bottomTimes == times_.end()) return;  // filtered out, or failed
    const auto ratio = [](const std::vector<double>& over, const std::vector<double>& under) {
        const double divisor = Median(under);
        return divisor > 0 ? Median(over) / divisor : 0.0;
    };
    std::printf("  %-44s %5.2fx", label, ratio(topTimes->second.real, bottomTimes->second.real));
    if (!topTimes->second.cpu.empty() && !bottomTimes->second.cpu.empty())
        std::printf("  cpu %5.2fx", ratio(topTimes->second.cpu, bottomTimes->second.cpu));
    std::printf(*goal ? "  (goal %s)\n" : "\n", goal);
}

int RunProgram(const char* program, const std::vector<std::string>& arguments) {
    std::vector<char*> argv{const_cast<char*>(program)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace sonatag::bench
