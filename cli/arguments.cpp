#include "cli/arguments.h"

#include <algorithm>
#include <thread>

#include "tag/utf8.h"

namespace sonatag::cli {

#define SONATAG_CLI_SYNOPSIS                                                                     \
    "Usage: sonatag-cli show [--json] [--id3v2] FILE...\n"                                       \
    "       sonatag-cli set [--title TEXT | --title-from-name] [--artist TEXT] [--album TEXT]\n" \
    "                       [--id3v2] [--journal JOURNAL | --dry-run] FILE...\n"                 \
    "       sonatag-cli repair [--journal JOURNAL | --dry-run] FILE...\n"                        \
    "       sonatag-cli show|set|repair ... [-r] [-j N] [--files-from LIST [-0]] [FILE...]\n"    \
    "       sonatag-cli undo JOURNAL\n"                                                          \
    "       sonatag-cli --help | --version\n"

const std::string_view kUsage = SONATAG_CLI_SYNOPSIS "Run 'sonatag-cli --help' for more.\n";

const std::string_view kHelp = SONATAG_CLI_SYNOPSIS
    "\n"
    "Reads and writes the title, artist and album of the ID3v1 tag at the end of MP3 files,\n"
    "kept in code page 936 (GBK).\n"
    "\n"
    "  show                 print each file's tag, one line per file\n"
    "    --json             one JSON object per line with the keys path, status (found,\n"
    "                       notag, tooshort or error), title, artist and album (found\n"
    "                       only) and error (error only)\n"
    "    --id3v2            also the ID3v2 tag at the head of the file, which players show\n"
    "                       first: its version and its title, artist and album as players\n"
    "                       decode them, with the GBK reading of a frame that looks like\n"
    "                       GBK labelled ISO-8859-1 (JSON: the key id3v2)\n"
    "  set                  write the fields given into each file; a field not given keeps\n"
    "                       the file's present value (empty where it has no tag)\n"
    "    --title TEXT       the title\n"
    "    --title-from-name  each file's own name without its last four characters\n"
    "    --artist TEXT      the artist\n"
    "    --album TEXT       the album\n"
    "    --id3v2            also write the texts, in full, as UTF-16 into the ID3v2 tag\n"
    "                       (created as ID3v2.3 where there is none), keeping its other\n"
    "                       frames; in place when it fits, else through a new file that\n"
    "                       replaces the old one (refused for a file with hard links)\n"
    "    --journal JOURNAL  first write into JOURNAL what each file held, so that undo can\n"
    "                       restore it; only a journal there is replaced (one file at a time:\n"
    "                       not with -j)\n"
    "    --dry-run          print, per file, each field that would change (old -> new) and\n"
    "                       write nothing\n"
    "  repair               convert the ID3v2 text frames that hold GBK labelled\n"
    "                       ISO-8859-1 to UTF-16, printing old -> new per frame; --dry-run\n"
    "                       and --journal as for set\n"
    "  undo                 restore the files of JOURNAL as they were before that set, each\n"
    "                       only when it still ends as set left it; others are named\n"
    "  -r, --recursive      walk each FILE that is a folder: every file under it whose name\n"
    "                       ends in .mp3 in any letter case, a folder's files before its\n"
    "                       sub-folders, each in natural name order; hidden entries are\n"
    "                       skipped and links to folders are not followed\n"
    "  --files-from LIST    after the FILEs, take the paths in the file LIST, one per line\n"
    "                       ('-' reads them from standard input); FILE... may then be left out\n"
    "  -0, --null           the paths in LIST end with a NUL byte instead of a line feed\n"
    "  -j, --jobs N         work on N files at once (default 1; 0: one for each core); the\n"
    "                       output, the messages and the exit status stay as with 1\n"
    "  --                   ends the options, so that a FILE may begin with '-'\n"
    "\n"
    "TEXT is UTF-8 and is trimmed of white space at both ends. A field holds 30 bytes of\n"
    "code page 936: a longer text is cut, and a character code page 936 cannot hold is\n"
    "written as '?', each with a warning. A file shorter than 128 bytes is left alone.\n"
    "\n"
    "Exit status: 0 when every file was read or written, 1 when some file failed,\n"
    "2 for a usage error (then no file is touched).\n";

#undef SONATAG_CLI_SYNOPSIS

namespace {

class ArgumentReader {
public:
    ArgumentReader(int argc, char** argv) : argc_(argc), argv_(argv) {}

    bool done() const { return next_ >= argc_; }
    std::string_view take() { return argv_[next_++]; }

    // The value of an option: the part after '=' when it was written --name=value,
    // otherwise the next argument.
    std::string takeValue(std::string_view option, std::optional<std::string_view> inlineValue) {
        if (inlineValue) return std::string(*inlineValue);
        if (done()) throw UsageError("option " + std::string(option) + " needs a value");
        return std::string(take());
    }

private:
    int argc_;
    char** argv_;
    int next_ = 2;  // after the program and the command
};

bool IsOption(std::string_view argument) {
    return argument.size() > 1 && argument[0] == '-';
}

void SetOnce(std::optional<std::string>& field, std::string_view option, std::string value) {
    if (field) throw UsageError("option " + std::string(option) + " is given twice");
    field = std::move(value);
}

// Handles one option of the show command; false when the option is not one of them.
bool TakeShowOption(std::string_view name, std::optional<std::string_view> inlineValue, Arguments& arguments) {
    if (inlineValue) return false;
    if (name == "--json") return arguments.json = true;
    if (name == "--id3v2") return arguments.id3v2 = true;
    return false;
}

// --journal and --dry-run, of set and repair; false when the option is neither.
bool TakeJournalOption(std::string_view name, std::optional<std::string_view> inlineValue, ArgumentReader& reader,
                       Arguments& arguments) {
    if (name == "--journal") {
        SetOnce(arguments.journal, name, reader.takeValue(name, inlineValue));
    } else if (name == "--dry-run") {
        if (inlineValue) throw UsageError("option --dry-run takes no value");
        if (arguments.dryRun) throw UsageError("option --dry-run is given twice");
        arguments.dryRun = true;
    } else {
        return false;
    }
    return true;
}

// Handles one option of the set command; false when the option is not one of them.
bool TakeSetOption(std::string_view name, std::optional<std::string_view> inlineValue, ArgumentReader& reader,
                   Arguments& arguments) {
    if (name == "--title-from-name") {
        if (inlineValue) throw UsageError("option --title-from-name takes no value");
        if (arguments.titleFromName) throw UsageError("option --title-from-name is given twice");
        arguments.titleFromName = true;
    } else if (name == "--title") {
        SetOnce(arguments.title, name, reader.takeValue(name, inlineValue));
    } else if (name == "--artist") {
        SetOnce(arguments.artist, name, reader.takeValue(name, inlineValue));
    } else if (name == "--album") {
        SetOnce(arguments.album, name, reader.takeValue(name, inlineValue));
    } else if (name == "--id3v2") {
        if (inlineValue) throw UsageError("option --id3v2 takes no value");
        arguments.id3v2 = true;
    } else {
        return TakeJournalOption(name, inlineValue, reader, arguments);
    }
    return true;
}

// 0 is as many as the machine has cores.
unsigned ParseJobs(std::string_view value) {
    constexpr unsigned kMaxJobs = 1024;
    unsigned jobs = 0;
    for (const char c : value) {
        if (c < '0' || c > '9' || jobs > kMaxJobs) throw UsageError("--jobs needs a number from 0 to 1024");
        jobs = jobs * 10 + static_cast<unsigned>(c - '0');
    }
    if (value.empty() || jobs > kMaxJobs) throw UsageError("--jobs needs a number from 0 to 1024");
    return jobs == 0 ? std::max(1u, std::thread::hardware_concurrency()) : jobs;
}

// Handles one option that says where the paths come from or how many files are worked on
// at once; false when the option is not one of them.
bool TakePathOption(std::string_view name, std::optional<std::string_view> inlineValue, ArgumentReader& reader,
                    Arguments& arguments) {
    if (name == "-r" || name == "--recursive") {
        if (inlineValue) throw UsageError("option " + std::string(name) + " takes no value");
        arguments.recursive = true;
    } else if (name == "-0" || name == "--null") {
        if (inlineValue) throw UsageError("option " + std::string(name) + " takes no value");
        arguments.nullSeparated = true;
    } else if (name == "--files-from") {
        SetOnce(arguments.filesFrom, name, reader.takeValue(name, inlineValue));
    } else if (name == "-j" || name == "--jobs") {
        arguments.jobs = ParseJobs(reader.takeValue(name, inlineValue));
    } else if (name.starts_with("-j") && !inlineValue) {
        arguments.jobs = ParseJobs(name.substr(2));
    } else {
        return false;
    }
    return true;
}

void ParseCommandArguments(ArgumentReader& reader, Arguments& arguments) {
    bool optionsEnded = false;
    while (!reader.done()) {
        const std::string_view argument = reader.take();
        if (optionsEnded || !IsOption(argument)) {
            arguments.files.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string_view name = argument.substr(0, equals);
        std::optional<std::string_view> inlineValue;
        if (equals != std::string_view::npos) inlineValue = argument.substr(equals + 1);

        if (name == "--help" && !inlineValue) {
            arguments.command = Command::Help;
            return;
        }
        bool known = arguments.command != Command::Undo && TakePathOption(name, inlineValue, reader, arguments);
        if (!known && arguments.command == Command::Show) known = TakeShowOption(name, inlineValue, arguments);
        if (!known && arguments.command == Command::Set) known = TakeSetOption(name, inlineValue, reader, arguments);
        if (!known && arguments.command == Command::Repair)
            known = TakeJournalOption(name, inlineValue, reader, arguments);
        if (!known) throw UsageError("unknown option " + std::string(argument));
    }
    if (arguments.command == Command::Undo && arguments.files.size() != 1) throw UsageError("undo takes one JOURNAL");
    if (arguments.files.empty() && !arguments.filesFrom) throw UsageError("no FILE given");
    if (arguments.nullSeparated && !arguments.filesFrom) throw UsageError("-0/--null needs --files-from");
    if (arguments.title && arguments.titleFromName)
        throw UsageError("--title and --title-from-name cannot be given together");
    if (arguments.journal && arguments.dryRun) throw UsageError("--journal and --dry-run cannot be given together");
    if (arguments.journal && arguments.jobs > 1) throw UsageError("--journal works on one file at a time, not with -j");
    // The ID3v2 tag holds the texts as they are given, in Unicode: no byte may be a guess.
    const std::pair<const char*, const std::optional<std::string>*> texts[] = {
        {"--title", &arguments.title}, {"--artist", &arguments.artist}, {"--album", &arguments.album}};
    for (const auto& [option, text] : texts) {
        if (arguments.id3v2 && *text && !IsValidUtf8(**text))
            throw UsageError(std::string(option) + " is not UTF-8, which --id3v2 needs");
    }
}

}  // namespace

Arguments ParseArguments(int argc, char** argv) {
    if (argc < 2) throw UsageError("no command given");
    Arguments arguments;
    const std::string_view command = argv[1];
    if (command == "--help" || command == "-h") {
        arguments.command = Command::Help;
    } else if (command == "--version") {
        arguments.command = Command::Version;
    } else if (command == "show" || command == "set" || command == "undo" || command == "repair") {
        arguments.command = command == "show"   ? Command::Show
                            : command == "set"  ? Command::Set
                            : command == "undo" ? Command::Undo
                                                : Command::Repair;
        ArgumentReader reader(argc, argv);
        ParseCommandArguments(reader, arguments);
    } else {
        throw UsageError("unknown command " + std::string(command));
    }
    return arguments;
}

}  // namespace sonatag::cli
