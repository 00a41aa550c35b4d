#include <string>
#include <string_view>

#include "cli/commands.h"
#include "cli/file_runner.h"
#include "cli/path_source.h"
#include "cli/text_escaping.h"
#include "tag/cp936.h"
#include "tag/tag_file.h"

namespace sonatag::cli {

namespace {

std::string_view StatusName(ReadOutcome outcome) {
    switch (outcome) {
        case ReadOutcome::TooShort:
            return "tooshort";
        case ReadOutcome::NoTag:
            return "notag";
        case ReadOutcome::Found:
            break;
    }
    return "found";
}

void AppendJsonField(std::string& out, std::string_view key, std::string_view utf8) {
    out += ", \"";
    out += key;
    out += "\": ";
    AppendJsonString(out, utf8);
}

void AppendJsonRecord(std::string& out, std::string_view path, const TagReadResult& result) {
    out += "{\"path\": ";
    AppendJsonString(out, path);
    AppendJsonField(out, "status", StatusName(result.outcome));
    if (result.outcome == ReadOutcome::Found) {
        AppendJsonField(out, "title", Cp936ToUtf8(result.fields.title));
        AppendJsonField(out, "artist", Cp936ToUtf8(result.fields.artist));
        AppendJsonField(out, "album", Cp936ToUtf8(result.fields.album));
    }
    out += "}\n";
}

void AppendJsonError(std::string& out, std::string_view path, std::string_view message) {
    out += "{\"path\": ";
    AppendJsonString(out, path);
    AppendJsonField(out, "status", "error");
    AppendJsonField(out, "error", message);
    out += "}\n";
}

void AppendQuotedField(std::string& out, std::string_view label, std::string_view cp936) {
    out += label;
    out += " \"";
    AppendDisplayText(out, Cp936ToUtf8(cp936));
    out += '"';
}

void AppendPlainLine(std::string& out, std::string_view path, const TagReadResult& result) {
    AppendDisplayText(out, path);
    switch (result.outcome) {
        case ReadOutcome::TooShort:
            out += ": too short to hold a tag\n";
            return;
        case ReadOutcome::NoTag:
            out += ": no tag\n";
            return;
        case ReadOutcome::Found:
            break;
    }
    AppendQuotedField(out, ": title", result.fields.title);
    AppendQuotedField(out, ", artist", result.fields.artist);
    AppendQuotedField(out, ", album", result.fields.album);
    out += '\n';
}

void ShowFile(const Arguments& arguments, const std::string& path, FileReport& report) {
    try {
        const TagReadResult result = ReadTagFields(path);
        if (arguments.json) {
            AppendJsonRecord(report.out, path, result);
        } else {
            AppendPlainLine(report.out, path, result);
        }
    } catch (const FileError& error) {
        if (arguments.json) {
            AppendJsonError(report.out, path, error.what());
            report.failed = true;
        } else {
            report.Error(error.what());
        }
    }
}

}  // namespace

int RunShow(const Arguments& arguments, Console& console) {
    FileRunner runner(
        arguments.jobs, [&](const std::string& path, FileReport& report) { ShowFile(arguments, path, report); },
        console);
    if (!FeedPaths(arguments, console, runner)) return 1;
    return runner.Finish();
}

}  // namespace sonatag::cli
