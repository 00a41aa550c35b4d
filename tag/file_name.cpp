#include "tag/file_name.h"

#include "tag/utf8.h"

namespace sonatag {
namespace {

constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";

// The name without its last `count` characters; empty when it has no more than that.
std::string_view DropLastCharacters(std::string_view name, int count) {
    std::size_t end = name.size();
    for (int dropped = 0; dropped < count; ++dropped) {
        if (end == 0) return {};
        do --end;
        while (end > 0 && IsUtf8Continuation(name[end]));
    }
    return name.substr(0, end);
}

}  // namespace

std::string_view TrimWhiteSpace(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kWhiteSpace);
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(kWhiteSpace);
    return text.substr(first, last - first + 1);
}

std::string GetFileName(std::string_view path, int nMode) {
    std::string_view name = path.substr(path.rfind('/') + 1);  // npos + 1 == 0: the whole path
    if (nMode == 1) name = DropLastCharacters(name, 4);
    return std::string(TrimWhiteSpace(name));
}

}  // namespace sonatag
