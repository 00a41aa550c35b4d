#include "tests/support/id3v2_bytes.h"

#include <iconv.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace sonatag::test {
namespace {

std::string BigEndian(std::size_t value, int bytes, int bitsPerByte) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>((value >> (i * bitsPerByte)) & ((1 << bitsPerByte) - 1));
    return out;
}

}  // namespace

std::string Id3v2Frame(std::string_view id, std::string_view payload, int version, char formatFlags, char statusFlags) {
    if (version == 2) return std::string(id) + BigEndian(payload.size(), 3, 8) + std::string(payload);
    return std::string(id) + BigEndian(payload.size(), 4, version == 4 ? 7 : 8) + statusFlags + formatFlags +
           std::string(payload);
}

std::string Latin1Payload(std::string_view bytes) {
    return '\0' + std::string(bytes);
}

std::string Utf16Payload(std::string_view utf8) {
    std::string out = "\x01\xFF\xFE";
    for (std::size_t at = 0; at < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        const int length = lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        unsigned code = length == 1 ? lead : lead & (length == 2 ? 0x1F : 0x0F);
        for (int i = 1; i < length; ++i) code = code << 6 | (static_cast<unsigned char>(utf8[at + i]) & 0x3F);
        out += static_cast<char>(code & 0xFF);
        out += static_cast<char>(code >> 8);
        at += length;
    }
    return out;
}

std::string Id3v2TagBytes(int version, std::string_view body, std::size_t padding, char flags) {
    return "ID3" + std::string{static_cast<char>(version), '\0', flags} + BigEndian(body.size() + padding, 4, 7) +
           std::string(body) + std::string(padding, '\0');
}

std::string Unsynchronise(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        out += c;
        if (c == '\xFF') out += '\0';
    }
    return out;
}

std::string Encode(std::string_view utf8, const char* charset) {
    const iconv_t cd = ::iconv_open(charset, "UTF-8");
    std::string out(utf8.size() * 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    char* to = out.data();
    std::size_t inLeft = utf8.size(), outLeft = out.size();
    ::iconv(cd, &in, &inLeft, &to, &outLeft);
    ::iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

std::string RunInChild(const std::function<std::string()>& body) {
    std::FILE* const out = std::tmpfile();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(20);
        const std::string text = body();
        std::fwrite(text.data(), 1, text.size(), out);
        std::fflush(out);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    std::string text(4096, '\0');
    std::rewind(out);
    text.resize(std::fread(text.data(), 1, text.size(), out));
    std::fclose(out);
    return text.empty() ? "exited" : text;
}

}  // namespace sonatag::test
