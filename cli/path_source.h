#pragma once

#include <string>
#include "cli/arguments.h"
#include "cli/console.h"

namespace sonatag::cli {

// Where the paths of a command go, one at a time.
class PathSink {
public:
    virtual ~PathSink() = default;
    // Each returns false when there is no use going on.
    virtual bool Submit(std::string path) = 0;
    // A failure found before any file could be worked on (a folder that cannot be read).
    virtual bool SubmitFailure(std::string message) = 0;
};

// Hands the sink every path of the command, one at a time as it is found: the FILE
// arguments, then the paths of the --files-from list; with --recursive a folder is walked
// in its place. A folder or a list that cannot be read is a failure in its turn.
// Returns false when the list cannot be opened, reported before any path is handed on.
bool FeedPaths(const Arguments& arguments, Console& console, PathSink& sink);

}  // namespace sonatag::cli
