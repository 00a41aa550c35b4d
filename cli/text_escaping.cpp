#include "cli/text_escaping.h"

namespace sonatag::cli {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

bool IsContinuationByte(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

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

// The character of a well-formed UTF-8 sequence.
char32_t DecodeUtf8(std::string_view sequence) {
    constexpr unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t character = static_cast<unsigned char>(sequence[0]) & kLeadBits[sequence.size()];
    for (const char byte : sequence.substr(1)) character = (character << 6) | (static_cast<unsigned char>(byte) & 0x3F);
    return character;
}

// Characters that must never reach a reader raw: the C1 controls, which some terminals take
// as control sequences, and the bidirectional controls, which reorder what is shown around
// them ("a<U+202E>3pm.exe" would show as "aexe.mp3").
bool IsHiddenControl(char32_t character) {
    return (character >= 0x80 && character <= 0x9F) || character == 0x061C || character == 0x200E ||
           character == 0x200F || (character >= 0x202A && character <= 0x202E) ||
           (character >= 0x2066 && character <= 0x2069);
}

// Appends sequence, or \uXXXX in its place when it holds a hidden control.
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

std::size_t Utf8SequenceLength(std::string_view text) {
    if (text.empty()) return 0;
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byteAt(0);
    if (lead < 0x80) return 1;

    std::size_t length = 0;
    unsigned char secondMin = 0x80, secondMax = 0xBF;  // narrower after some leads
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) secondMin = 0xA0;  // overlong
        if (lead == 0xED) secondMax = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) secondMin = 0x90;  // overlong
        if (lead == 0xF4) secondMax = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (text.size() < length || byteAt(1) < secondMin || byteAt(1) > secondMax) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!IsContinuationByte(byteAt(i))) return 0;
    }
    return length;
}

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
