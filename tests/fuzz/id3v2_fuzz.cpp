// libFuzzer entry for the reading of ID3v2 tags, which come from untrusted files.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tag/id3v2_tag.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sonatag::ExerciseId3v2Reading(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
