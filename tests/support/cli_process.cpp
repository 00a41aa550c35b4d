#include "tests/support/cli_process.h"

#include <sys/wait.h>

#include <cstdlib>

namespace sonatag::test {

namespace {

std::string ShellQuoted(std::string text) {
    for (std::size_t at = text.find('\''); at != std::string::npos; at = text.find('\'', at + 4))
        text.replace(at, 1, "'\\''");
    return "'" + text + "'";
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& arguments, const std::string& workingDir, const std::string& input) {
    TempDir outputs;
    WriteBytes(outputs.file("in"), input);
    std::string command = "cd " + ShellQuoted(workingDir.empty() ? "." : workingDir) + " && exec " SONATAG_CLI_PATH;
    for (const std::string& argument : arguments) command += " " + ShellQuoted(argument);
    command += " <" + ShellQuoted(outputs.file("in")) + " >" + ShellQuoted(outputs.file("out")) + " 2>" +
               ShellQuoted(outputs.file("err"));
    const int status = std::system(command.c_str());
    const int exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return {exitCode, ReadBytes(outputs.file("out")), ReadBytes(outputs.file("err"))};
}

}  // namespace sonatag::test
