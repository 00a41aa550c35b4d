#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sonatag::cli {

enum class Command { Help, Version, Show, Set, Undo, Repair };

struct Arguments {
    Command command = Command::Help;
    bool json = false;                 // show
    bool id3v2 = false;                // show, set: the ID3v2 tag at the head of the file too
    std::optional<std::string> title;  // set; texts as given, UTF-8
    bool titleFromName = false;
    std::optional<std::string> artist;
    std::optional<std::string> album;
    std::vector<std::string_view> files;  // views into argv; undo: the journal
    // Where the paths come from besides files, and how they are worked through.
    bool recursive = false;                // folders are walked
    std::optional<std::string> filesFrom;  // a file of paths, "-" for standard input
    bool nullSeparated = false;            // its paths end with '\0' rather than '\n'
    unsigned jobs = 1;                     // files worked on at once
    std::optional<std::string> journal;    // set, repair: the undo journal to write
    bool dryRun = false;                   // set, repair: print what would change, write nothing
};

// A command line that cannot be run; what() says why in a few words.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

Arguments ParseArguments(int argc, char** argv);

// The synopsis, shown after a usage error.
extern const std::string_view kUsage;
// The synopsis and what the commands and options do.
extern const std::string_view kHelp;

}  // namespace sonatag::cli
