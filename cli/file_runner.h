#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/console.h"
#include "cli/path_source.h"
#include "tag/locked_file.h"

namespace sonatag::cli {

// What the work on one file has to say, kept until its turn comes.
struct FileReport {
    struct Message {
        bool warning = false;
        std::string text;
    };
    std::string out;                // standard output
    std::vector<Message> messages;  // standard error, after out
    bool failed = false;

    void Clear();
    void Error(std::string text);
    void Warning(std::string text);
};

// Does the work on each path given to it, on jobs files at once, and writes out each file's
// report in the order the paths were given. Workers take the paths in chunks of consecutive
// ones (up to 64, fewer when few are waiting or the files are slow), so that handing a path
// over costs little beside the work on it. The paths and reports waiting at any time are
// bounded, so memory stays flat however many paths come. With one job no thread is started.
class FileRunner : public PathSink {
public:
    using Work = std::function<void(const std::string& path, FileReport& report)>;

    FileRunner(unsigned jobs, Work work, Console& console);
    ~FileRunner() override;
    FileRunner(const FileRunner&) = delete;
    FileRunner& operator=(const FileRunner&) = delete;

    // Queues a path; false when nobody reads the output any more, so there is no use going on.
    bool Submit(std::string path) override;
    // Queues a failure found before any file could be worked on (a folder that cannot be read).
    bool SubmitFailure(std::string message) override;
    // Waits for every queued path; the exit status: 0, or 1 when some report failed.
    int Finish();

private:
    struct Slot {
        std::string path;
        FileReport report;
        bool done = false;
    };

    bool Queue(Slot slot);
    void Emit(const FileReport& report);
    void EmitFinished(std::unique_lock<std::mutex>& lock);
    void Serve();

    Work work_;
    Console& console_;
    bool failed_ = false;
    FileReport sequentialReport_;
    std::optional<FolderScope> sequentialFolders_;

    unsigned jobs_;
    std::size_t window_;
    std::mutex mutex_;
    std::condition_variable workReady_;
    std::condition_variable slotDone_;
    std::deque<Slot> slots_;
    std::size_t firstSeq_ = 0;    // the number of the slot at the front
    std::size_t nextToTake_ = 0;  // the number of the next slot for a worker
    unsigned idleWorkers_ = 0;
    bool closing_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace sonatag::cli
