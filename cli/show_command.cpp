#include <string>
#include <string_view>

#include "cli/commands.h"
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

}  // namespace

int RunShow(const Arguments& arguments, Console& console) {
    int status = 0;
    std::string path;
    for (const std::string_view file : arguments.files) {
        if (console.outputError() != 0) break;  // nobody is reading any more
        path.assign(file);
        try {
            const TagReadResult result = ReadTagFields(path);
            if (arguments.json) {
                AppendJsonRecord(console.out(), path, result);
            } else {
                AppendPlainLine(console.out(), path, result);
            }
        } catch (const FileError& error) {
            status = 1;
            if (arguments.json) {
                AppendJsonError(console.out(), path, error.what());
            } else {
                console.Error(error.what());
            }
        }
        console.FlushWhenFull();
    }
    console.Flush();
    return status;
}

}  // namespace sonatag::cli
