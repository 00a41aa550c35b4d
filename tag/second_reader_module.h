#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// What the second readers' module offers the tag layer, behind its one exported symbol.
namespace sonatag {

struct SecondReaderModule {
    std::string (*frameText)(std::string_view frame, std::string_view tagHeader);
    std::array<std::optional<std::string>, 3> (*fields)(std::string_view tag);
    std::string (*frameId)(std::string_view id, int version);
    std::vector<std::string> (*framesLost)(std::string_view before, std::string_view after,
                                           std::span<const std::string> rewritten);
    bool (*prefersOtherCjk)(std::string_view bytes);
};

using SecondReaderEntry = const SecondReaderModule* (*)();
inline constexpr char kSecondReaderEntry[] = "SonatagSecondReaderModule";

}  // namespace sonatag
