#include "tag/second_reader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

#include "tag/id3v2_header.h"
#include "tag/second_reader_module.h"

namespace sonatag {
namespace {

// Where the module lies from the program's folder, in the build tree as when installed.
std::string ModulePath() {
    char program[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", program, sizeof program);
    std::string path(program, length > 0 ? static_cast<std::size_t>(length) : 0);
    path.erase(path.rfind('/') + 1);  // npos + 1 == 0: no folder
    return path + SONATAG_SECOND_READER_MODULE;
}

struct Loaded {
    const SecondReaderModule* module = nullptr;
    std::string problem;
};

// The module, loaded once for the life of the process.
const Loaded& Load() {
    static const Loaded loaded = [] {
        Loaded result;
        void* const handle = ::dlopen(ModulePath().c_str(), RTLD_NOW | RTLD_LOCAL);
        const auto entry =
            handle != nullptr ? reinterpret_cast<SecondReaderEntry>(::dlsym(handle, kSecondReaderEntry)) : nullptr;
        if (entry != nullptr) {
            result.module = entry();
        } else {
            const char* why = ::dlerror();
            result.problem = why != nullptr ? why : "it holds no entry";
        }
        return result;
    }();
    return loaded;
}

const SecondReaderModule& Module() {
    const Loaded& loaded = Load();
    if (loaded.module == nullptr) throw Id3v2Error("TagLib, the second reader, cannot be loaded: " + loaded.problem);
    return *loaded.module;
}

}  // namespace

std::string TagLibFrameText(std::string_view frame, std::string_view tagHeader) {
    return Module().frameText(frame, tagHeader);
}

std::array<std::optional<std::string>, 3> TagLibFields(std::string_view tag) {
    return Module().fields(tag);
}

std::string TagLibFrameId(std::string_view id, int version) {
    return Module().frameId(id, version);
}

std::vector<std::string> FramesTagLibLoses(std::string_view before, std::string_view after,
                                           std::span<const std::string> rewritten) {
    return Module().framesLost(before, after, rewritten);
}

bool DetectorPrefersOtherCjk(std::string_view bytes) {
    const Loaded& loaded = Load();
    return loaded.module == nullptr || loaded.module->prefersOtherCjk(bytes);
}

}  // namespace sonatag
