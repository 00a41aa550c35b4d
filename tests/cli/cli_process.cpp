#include "tests/cli/cli_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "tests/support/test_files.h"

extern char** environ;

namespace sonatag::test {

namespace {

CliResult Run(const std::vector<std::string>& arguments, const std::string& workingDir, const std::string* input) {
    TempDir outputs;
    const std::string outPath = outputs.file("out");
    const std::string errPath = outputs.file("err");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string inPath = outputs.file("in");
    if (input != nullptr) {
        WriteBytes(inPath, *input);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, inPath.c_str(), O_RDONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (!workingDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());

    std::vector<char*> argv{const_cast<char*>(SONATAG_CLI_PATH)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, SONATAG_CLI_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " SONATAG_CLI_PATH);

    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    CliResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = ReadBytes(outPath);
    result.err = ReadBytes(errPath);
    return result;
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& arguments, const std::string& workingDir) {
    return Run(arguments, workingDir, nullptr);
}

CliResult RunCliWithInput(const std::string& input, const std::vector<std::string>& arguments,
                          const std::string& workingDir) {
    return Run(arguments, workingDir, &input);
}

std::string TagBlock(std::string_view title, std::string_view artist, std::string_view album, std::string_view tail) {
    std::string block = "TAG";
    for (const std::string_view field : {title, artist, album}) {
        block += field;
        block.append(30 - field.size(), '\0');
    }
    return block + (tail.empty() ? std::string(34, ' ') + "\xFF" : std::string(tail));
}

std::string LastBlock(const std::string& path) {
    const std::string bytes = ReadBytes(path);
    return bytes.substr(bytes.size() - std::min<std::size_t>(bytes.size(), 128));
}

}  // namespace sonatag::test
