#include "cli/console.h"

#include <unistd.h>

#include "cli/text_escaping.h"
#include "tag/locked_file.h"

namespace sonatag::cli {

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
