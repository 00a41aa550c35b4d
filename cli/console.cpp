#include "cli/console.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "cli/text_escaping.h"

namespace sonatag::cli {

namespace {

// Writes all of bytes to fd; the errno of the failure, or 0.
int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written >= 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        } else if (errno == EAGAIN) {  // a non-blocking descriptor handed down to us
            pollfd ready{fd, POLLOUT, 0};
            ::poll(&ready, 1, -1);
        } else if (errno != EINTR) {
            return errno;
        }
    }
    return 0;
}

}  // namespace

void Console::Flush() {
    // After a failure the rest of the output is dropped; the caller reports outputError().
    if (outputError_ == 0) outputError_ = WriteAll(STDOUT_FILENO, out_);
    out_.clear();
}

void Console::Error(std::string_view message) {
    WriteMessage("", message);
}

void Console::Warning(std::string_view message) {
    WriteMessage("warning: ", message);
}

void Console::Note(std::string_view message) {
    WriteMessage("note: ", message);
}

void Console::Usage(std::string_view message, std::string_view usage) {
    WriteMessage("", message, usage);
}

void Console::WriteMessage(std::string_view kind, std::string_view message, std::string_view tail) {
    Flush();
    std::string line = "sonatag-cli: ";
    line += kind;
    AppendDisplayText(line, message);
    line += '\n';
    if (!tail.empty()) {
        line += '\n';
        line += tail;
    }
    WriteAll(STDERR_FILENO, line);  // nowhere left to report a failure
}

}  // namespace sonatag::cli
