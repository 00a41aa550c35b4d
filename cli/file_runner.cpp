#include "cli/file_runner.h"

namespace sonatag::cli {

namespace {

constexpr std::size_t kSlotsPerJob = 4;

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
    : work_(std::move(work)), console_(console), window_(jobs * kSlotsPerJob) {
    if (jobs > 1) {
        for (unsigned i = 0; i < jobs; ++i) workers_.emplace_back([this] { Serve(); });
    }
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
    workReady_.notify_one();
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
    std::unique_lock lock(mutex_);
    for (;;) {
        workReady_.wait(lock, [this] { return closing_ || nextToTake_ < firstSeq_ + slots_.size(); });
        if (nextToTake_ >= firstSeq_ + slots_.size()) return;  // closing, and nothing left to take
        const std::size_t seq = nextToTake_++;
        if (slots_[seq - firstSeq_].done) continue;
        const std::string path = slots_[seq - firstSeq_].path;
        lock.unlock();
        FileReport report;
        work_(path, report);
        lock.lock();
        // Only finished slots leave the front, so this one is still where it was.
        Slot& slot = slots_[seq - firstSeq_];
        slot.report = std::move(report);
        slot.done = true;
        slotDone_.notify_one();
    }
}

}  // namespace sonatag::cli
