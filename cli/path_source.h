#pragma once

#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/file_runner.h"

namespace sonatag::cli {

// Hands the runner every path of the command, one at a time as it is found: the FILE
// arguments, then the paths of the --files-from list; with --recursive a folder is walked
// in its place. A folder or a list that cannot be read is a failure in its turn.
// Returns false when the list cannot be opened, reported before any path is handed on.
bool FeedPaths(const Arguments& arguments, Console& console, FileRunner& runner);

}  // namespace sonatag::cli
