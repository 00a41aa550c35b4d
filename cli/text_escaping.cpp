#include "cli/text_escaping.h"

#include "tag/utf8.h"

namespace sonatag::cli {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendHexByte(std::string& out, std::string_view prefix, unsigned char byte) {
    out += prefix;
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
}

// The length of the run at the start of text that needs no escaping.
template <typename IsPlain>
std::size_t PlainRunLength(std::string_view text, IsPlain isPlain) {
    std::size_t length = 0;
    while (length < text.size() && isPlain(static_cast<unsigned char>(text[length]))) ++length;
    return length;
}

bool IsPlainJsonByte(unsigned char byte) {
    return byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\';
}

void AppendJsonEscape(std::string& out, unsigned char byte) {
    switch (byte) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            AppendHexByte(out, "\\u00", byte);
            break;
    }
}

bool IsPlainDisplayByte(unsigned char byte) {
    return byte >= 0x20 && byte < 0x7F;
}

void AppendDisplayEscape(std::string& out, unsigned char byte) {
    switch (byte) {
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            AppendHexByte(out, "\\x", byte);
            break;
    }
}

// Appends sequence, or \uXXXX in its place when it holds a hidden control (here always one
// beyond ASCII, whose controls are escaped byte by byte).
void AppendVisible(std::string& out, std::string_view sequence) {
    const char32_t character = DecodeUtf8(sequence);
    if (!IsHiddenControl(character)) {
        out.append(sequence);
        return;
    }
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHexDigits[(character >> shift) & 0x0F];
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    while (!text.empty()) {
        const std::size_t plain = PlainRunLength(text, IsPlainJsonByte);
        out.append(text.substr(0, plain));
        text.remove_prefix(plain);
        if (text.empty()) break;

        const auto byte = static_cast<unsigned char>(text[0]);
        if (byte < 0x80) {
            AppendJsonEscape(out, byte);
            text.remove_prefix(1);
        } else if (const std::size_t length = Utf8SequenceLength(text)) {
            AppendVisible(out, text.substr(0, length));
            text.remove_prefix(length);
        } else {
            out += kReplacementCharacter;
            text.remove_prefix(1);
        }
    }
    out += '"';
}

void AppendDisplayText(std::string& out, std::string_view text) {
    while (!text.empty()) {
        const std::size_t plain = PlainRunLength(text, IsPlainDisplayByte);
        out.append(text.substr(0, plain));
        text.remove_prefix(plain);
        if (text.empty()) break;

        const auto byte = static_cast<unsigned char>(text[0]);
        const std::size_t length = byte < 0x80 ? 0 : Utf8SequenceLength(text);
        if (length == 0) {
            AppendDisplayEscape(out, byte);
            text.remove_prefix(1);
        } else {
            AppendVisible(out, text.substr(0, length));
            text.remove_prefix(length);
        }
    }
}

}  // namespace sonatag::cli
