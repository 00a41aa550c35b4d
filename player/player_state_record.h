#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace sonatag {

// Raised for a player state record that is truncated, inconsistent or of an unknown layout.
class PlayerStateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the player takes from its initial-state record.
struct PlayerSettings {
    bool autoStart = true;
    double rate = 1.0;
    int volume = 50;  // 0 to 100
    std::u16string uiMode = u"full";

    bool operator==(const PlayerSettings&) const = default;
};

// The player's initial-state record: one dialog-initialisation entry (control id, message,
// data length, data, end marker) whose data is the control's persisted state, a stream of
// tagged values followed by the control's extent.
class PlayerStateRecord {
public:
    using Value = std::variant<std::u16string, double, std::int32_t, bool>;

    static constexpr std::uint16_t kControlId = 1022;
    static constexpr std::uint16_t kLoadStateMessage = 0x0376;
    static constexpr std::uint32_t kDataLength = 168;
    static constexpr std::size_t kValueCount = 23;
    static constexpr std::size_t kRecordSize = 2 + 2 + 4 + kDataLength + 2;

    // Decodes a whole record. Throws PlayerStateError, naming the byte offset and the fault,
    // when the bytes are not exactly one well-formed record; never reads outside `bytes`.
    static PlayerStateRecord Parse(std::span<const std::uint8_t> bytes);

    const std::vector<Value>& values() const { return values_; }
    std::int32_t extentWidth() const { return extentWidth_; }    // 0.01 mm
    std::int32_t extentHeight() const { return extentHeight_; }  // 0.01 mm
    const PlayerSettings& settings() const { return settings_; }

private:
    std::vector<Value> values_;
    std::int32_t extentWidth_ = 0;
    std::int32_t extentHeight_ = 0;
    PlayerSettings settings_;
};

}  // namespace sonatag
