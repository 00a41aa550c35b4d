#include "tag/cp936.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "tag/utf8.h"

namespace sonatag {
namespace {

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// What to put out for an input sequence that cannot be converted, and how many bytes of
// input it takes.
struct Replacement {
    std::string_view text;
    std::size_t skip;
};

// One iconv conversion descriptor, opened once per direction and thread.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert code page 936");
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts text into out, which must have room for the whole result; replace(in, left)
    // tells what to do at each sequence that cannot be converted.
    template <typename Replace>
    void Convert(std::string_view text, std::string& out, Replace replace) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        char* outPtr = out.data();
        std::size_t outLeft = out.size();
        while (inLeft > 0) {
            if (iconv(cd_, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) break;
            if (errno == E2BIG) throw std::logic_error("code page conversion ran out of room");
            const Replacement replacement = replace(in, inLeft);
            if (replacement.text.size() > outLeft) throw std::logic_error("code page conversion ran out of room");
            outPtr = std::copy(replacement.text.begin(), replacement.text.end(), outPtr);
            outLeft -= replacement.text.size();
            in += replacement.skip;
            inLeft -= replacement.skip;
        }
        out.resize(out.size() - outLeft);
    }

private:
    iconv_t cd_;
};

}  // namespace

Cp936Text Utf8ToCp936(std::string_view utf8) {
    if (IsAscii(utf8)) return {std::string(utf8), false};
    thread_local Converter toCp936("CP936", "UTF-8");
    Cp936Text result;
    // No character takes more bytes in code page 936 than in UTF-8, nor does its '?'.
    result.bytes.resize(utf8.size());
    toCp936.Convert(utf8, result.bytes, [&](const char* in, std::size_t left) {
        result.lossy = true;
        return Replacement{"?", std::max<std::size_t>(1, Utf8SequenceLength({in, left}))};
    });
    return result;
}

namespace {

std::string FromCp936(std::string_view cp936, bool& lossy) {
    if (IsAscii(cp936)) return std::string(cp936);
    thread_local Converter fromCp936("UTF-8", "CP936");
    // A byte becomes at most three bytes of UTF-8, a replacement character included.
    std::string utf8(cp936.size() * 3, '\0');
    fromCp936.Convert(cp936, utf8, [&](const char*, std::size_t) {
        lossy = true;
        return Replacement{kReplacementCharacter, 1};
    });
    return utf8;
}

}  // namespace

std::string Cp936ToUtf8(std::string_view cp936) {
    bool lossy = false;
    return FromCp936(cp936, lossy);
}

std::optional<std::string> Cp936ToUtf8Exactly(std::string_view cp936) {
    bool lossy = false;
    std::string utf8 = FromCp936(cp936, lossy);
    if (lossy) return std::nullopt;
    return utf8;
}

}  // namespace sonatag
