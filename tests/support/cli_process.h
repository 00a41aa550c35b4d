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

// Runs the built sonatag-cli with arguments and input as its standard input, in workingDir
// when one is given, and waits for it.
CliResult RunCli(const std::vector<std::string>& arguments, const std::string& workingDir = "",
                 const std::string& input = "");

using CliTest = Mp3Test;

}  // namespace sonatag::test
