#include "cli/file_runner.h"

#include <sched.h>

#include <algorithm>
#include <chrono>

namespace sonatag::cli {

namespace {

// The most paths a worker takes at once, and how many chunks' worth may wait for each worker.
constexpr std::size_t kLargestChunk = 64;
constexpr std::size_t kChunksPerJob = 2;
// A chunk that took longer than this halves the worker's next one: on slow files, long chunks
// would leave workers idle at the end and hold back the output.
constexpr auto kLongChunk = std::chrono::milliseconds(20);

}  // namespace

void FileReport::Clear() {
    out.clear();
    messages.clear();
    failed = false;
}

void FileReport::Error(std::string text) {
    messages.push_back({false, std::move(text)});
    failed = true;
}

void FileReport::Warning(std::string text) {
    messages.push_back({true, std::move(text)});
}

FileRunner::FileRunner(unsigned jobs, Work work, Console& console)
    : work_(std::move(work)), console_(console), jobs_(jobs), window_(jobs * kLargestChunk * kChunksPerJob) {
    if (jobs <= 1) {
        sequentialFolders_.emplace();
        return;
    }
    for (unsigned i = 0; i < jobs; ++i) workers_.emplace_back([this] { Serve(); });
}

FileRunner::~FileRunner() {
    if (!workers_.empty()) Finish();
}

bool FileRunner::Submit(std::string path) {
    if (workers_.empty()) {
        sequentialReport_.Clear();
        work_(path, sequentialReport_);
        Emit(sequentialReport_);
        return console_.outputError() == 0;
    }
    return Queue({std::move(path), {}, false});
}

bool FileRunner::SubmitFailure(std::string message) {
    Slot slot;
    slot.report.Error(std::move(message));
    slot.done = true;
    if (!workers_.empty()) return Queue(std::move(slot));
    Emit(slot.report);
    return console_.outputError() == 0;
}

int FileRunner::Finish() {
    if (!workers_.empty()) {
        std::unique_lock lock(mutex_);
        closing_ = true;
        workReady_.notify_all();
        while (!slots_.empty()) {
            EmitFinished(lock);
            if (!slots_.empty() && !slots_.front().done) slotDone_.wait(lock);
        }
        lock.unlock();
        for (std::thread& worker : workers_) worker.join();
        workers_.clear();
    }
    return failed_ ? 1 : 0;
}

bool FileRunner::Queue(Slot slot) {
    std::unique_lock lock(mutex_);
    for (;;) {
        EmitFinished(lock);
        if (slots_.size() < window_) break;
        slotDone_.wait(lock);
    }
    slots_.push_back(std::move(slot));
    if (idleWorkers_ > 0) workReady_.notify_one();
    return console_.outputError() == 0;
}

void FileRunner::Emit(const FileReport& report) {
    failed_ = failed_ || report.failed;
    console_.out() += report.out;
    for (const FileReport::Message& message : report.messages) {
        if (message.warning) {
            console_.Warning(message.text);
        } else {
            console_.Error(message.text);
        }
    }
    console_.FlushWhenFull();
}

// Writes out the finished reports at the front, with the lock released while writing.
void FileRunner::EmitFinished(std::unique_lock<std::mutex>& lock) {
    while (!slots_.empty() && slots_.front().done) {
        const Slot slot = std::move(slots_.front());
        slots_.pop_front();
        ++firstSeq_;
        lock.unlock();
        Emit(slot.report);
        lock.lock();
    }
}

void FileRunner::Serve() {
    // A descriptor table of its own: the kernel then takes no lock or reference count that the
    // workers share for each file opened, read and closed, and they run side by side.
    (void)::unshare(CLONE_FILES);
    const FolderScope folders;
    std::size_t largest = kLargestChunk;
    std::vector<std::pair<std::size_t, std::string>> taken;  // numbers and paths of the slots taken
    std::vector<FileReport> reports;
    std::unique_lock lock(mutex_);
    for (;;) {
        // A failure queued done may have left the front before any worker came to it.
        const auto waiting = [this] { return firstSeq_ + slots_.size() - std::max(nextToTake_, firstSeq_); };
        ++idleWorkers_;
        workReady_.wait(lock, [&] { return closing_ || waiting() > 0; });
        --idleWorkers_;
        if (waiting() == 0) return;  // closing, and nothing left to take
        nextToTake_ = std::max(nextToTake_, firstSeq_);
        // A share of what waits, so that every worker gets some of a short list.
        const std::size_t count = std::clamp<std::size_t>(waiting() / (2 * jobs_), 1, largest);
        taken.clear();
        for (const std::size_t end = nextToTake_ + count; nextToTake_ < end; ++nextToTake_) {
            const Slot& slot = slots_[nextToTake_ - firstSeq_];
            if (!slot.done) taken.emplace_back(nextToTake_, slot.path);  // a failure is done already
        }
        if (waiting() > 0 && idleWorkers_ > 0) workReady_.notify_one();
        lock.unlock();

        const auto start = std::chrono::steady_clock::now();
        reports.assign(taken.size(), FileReport{});
        for (std::size_t i = 0; i < taken.size(); ++i) work_(taken[i].second, reports[i]);
        const bool slow = std::chrono::steady_clock::now() - start > kLongChunk;
        largest = slow ? std::max<std::size_t>(1, count / 2) : std::min(kLargestChunk, largest * 2);

        lock.lock();
        // Only finished slots leave the front, so these are still where they were.
        for (std::size_t i = 0; i < taken.size(); ++i) {
            Slot& slot = slots_[taken[i].first - firstSeq_];
            slot.report = std::move(reports[i]);
            slot.done = true;
        }
        slotDone_.notify_one();
    }
}

}  // namespace sonatag::cli
