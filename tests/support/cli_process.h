#pragma once

#include <string>
#include <vector>

#include "tests/support/test_files.h"

namespace sonatag::test {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the built sonatag-cli with arguments, in workingDir when one is given, and waits for it.
CliResult RunCli(const std::vector<std::string>& arguments, const std::string& workingDir = "");
// The same with input as its standard input.
CliResult RunCliWithInput(const std::string& input, const std::vector<std::string>& arguments,
                          const std::string& workingDir = "");

using CliTest = Mp3Test;

}  // namespace sonatag::test
