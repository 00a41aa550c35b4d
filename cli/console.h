#pragma once

#include <string>
#include <string_view>

namespace sonatag::cli {

// Standard output, collected and written in large pieces, and messages on standard error.
// A message first writes out what standard output holds so far, so the two stay in order
// on a terminal.
class Console {
public:
    Console() { out_.reserve(kFlushSize + 4096); }
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    // Standard output to append to; call FlushWhenFull after each line.
    std::string& out() { return out_; }
    void FlushWhenFull() {
        if (out_.size() >= kFlushSize) Flush();
    }
    void Flush();

    // "sonatag-cli: " and the message, made safe for a terminal.
    void Error(std::string_view message);
    void Warning(std::string_view message);
    void Note(std::string_view message);
    void Usage(std::string_view message, std::string_view usage);

    // errno of the first failed write to standard output, or 0.
    int outputError() const { return outputError_; }

private:
    static constexpr std::size_t kFlushSize = 64 * 1024;

    void WriteMessage(std::string_view kind, std::string_view message, std::string_view tail = {});

    std::string out_;
    int outputError_ = 0;
};

}  // namespace sonatag::cli
