#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "cli/commands.h"
#include "cli/file_runner.h"
#include "cli/path_source.h"
#include "cli/text_escaping.h"
#include "tag/cp936.h"
#include "tag/id3v2_file.h"
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

using NamedField = std::pair<std::string_view, const Id3v2Field*>;

std::array<NamedField, 3> NamedFields(const Id3v2Fields& fields) {
    return {{{"title", &fields.title}, {"artist", &fields.artist}, {"album", &fields.album}}};
}

// The ID3v2 tag as the key id3v2: its version and the frames it has, each with the GBK
// reading ("title_gbk") where it looks like GBK labelled ISO-8859-1; null without a tag.
void AppendJsonId3v2(std::string& out, const BothTags& both) {
    if (!both.id3v2Problem.empty()) return AppendJsonField(out, "id3v2_error", both.id3v2Problem);
    if (!both.id3v2) {
        out += ", \"id3v2\": null";
        return;
    }
    out += ", \"id3v2\": {\"version\": \"2.";
    out += std::to_string(both.id3v2->version);
    out += '"';
    for (const auto& [name, field] : NamedFields(*both.id3v2)) {
        if (!field->present) continue;
        AppendJsonField(out, name, field->text);
        if (!field->asGbk.empty()) AppendJsonField(out, std::string(name) + "_gbk", field->asGbk);
    }
    out += '}';
}

void AppendPlainId3v2(std::string& out, std::string_view path, const BothTags& both) {
    AppendDisplayText(out, path);
    if (!both.id3v2Problem.empty()) {
        out += ": the ID3v2 tag cannot be read: " + both.id3v2Problem + "\n";
        return;
    }
    if (!both.id3v2) {
        out += ": no ID3v2 tag\n";
        return;
    }
    out += ": ID3v2.";
    out += std::to_string(both.id3v2->version);
    char separator = ':';
    for (const auto& [name, field] : NamedFields(*both.id3v2)) {
        if (!field->present) continue;
        out += separator;
        out += ' ';
        out += name;
        out += " \"";
        AppendDisplayText(out, field->text);
        out += '"';
        if (!field->asGbk.empty()) {
            out += " (GBK labelled ISO-8859-1: \"";
            AppendDisplayText(out, field->asGbk);
            out += "\")";
        }
        separator = ',';
    }
    if (separator == ':') out += ": no title, artist or album";
    out += '\n';
}

void AppendJsonRecord(std::string& out, std::string_view path, const TagReadResult& result,
                      const BothTags* both = nullptr) {
    out += "{\"path\": ";
    AppendJsonString(out, path);
    AppendJsonField(out, "status", StatusName(result.outcome));
    if (result.outcome == ReadOutcome::Found) {
        AppendJsonField(out, "title", Cp936ToUtf8(result.fields.title));
        AppendJsonField(out, "artist", Cp936ToUtf8(result.fields.artist));
        AppendJsonField(out, "album", Cp936ToUtf8(result.fields.album));
    }
    if (both) AppendJsonId3v2(out, *both);
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
        if (arguments.id3v2) {
            const BothTags both = ReadBothTags(path);
            if (arguments.json) {
                AppendJsonRecord(report.out, path, both.id3v1, &both);
            } else {
                AppendPlainLine(report.out, path, both.id3v1);
                AppendPlainId3v2(report.out, path, both);
            }
        } else if (const TagReadResult result = ReadTagFields(path); arguments.json) {
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
