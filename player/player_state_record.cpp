#include "player/player_state_record.h"

#include <bit>
#include <cmath>
#include <cstdio>

namespace sonatag {
namespace {

// Type tags of the stored values.
constexpr std::uint16_t kVtI4 = 3;
constexpr std::uint16_t kVtR8 = 5;
constexpr std::uint16_t kVtBstr = 8;
constexpr std::uint16_t kVtBool = 11;

constexpr std::size_t kStreamHeaderSize = 8;

// Positions in the value table of the values the player uses.
constexpr std::size_t kRateIndex = 1;
constexpr std::size_t kAutoStartIndex = 6;
constexpr std::size_t kVolumeIndex = 10;
constexpr std::size_t kUiModeIndex = 12;

[[noreturn]] void Fail(std::size_t offset, const std::string& reason) {
    throw PlayerStateError("player state record, byte " + std::to_string(offset) + ": " + reason);
}

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

// Little-endian reads from a span that stop with an error at its end. Offsets in messages are
// counted from the start of the record.
class ByteReader {
public:
    ByteReader(std::span<const std::uint8_t> bytes, std::size_t recordOffset)
        : bytes_(bytes), recordOffset_(recordOffset) {}

    std::size_t offset() const { return recordOffset_ + position_; }
    std::size_t remaining() const { return bytes_.size() - position_; }

    std::span<const std::uint8_t> Take(std::size_t count, const std::string& what) {
        if (count > remaining()) {
            Fail(offset(),
                 what + " needs " + std::to_string(count) + " bytes, only " + std::to_string(remaining()) + " left");
        }
        const auto taken = bytes_.subspan(position_, count);
        position_ += count;
        return taken;
    }

    std::uint16_t U16(const std::string& what) {
        const auto b = Take(2, what);
        return static_cast<std::uint16_t>(b[0] | b[1] << 8);
    }

    std::uint32_t U32(const std::string& what) {
        const auto b = Take(4, what);
        return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
    }

    std::int32_t I32(const std::string& what) { return static_cast<std::int32_t>(U32(what)); }

    double F64(const std::string& what) {
        const std::uint64_t low = U32(what);
        const std::uint64_t high = U32(what);
        return std::bit_cast<double>(high << 32 | low);
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t recordOffset_;
    std::size_t position_ = 0;
};

// A byte count that includes a two-byte terminator, then UTF-16LE text ending in it.
std::u16string ReadString(ByteReader& in) {
    const std::size_t at = in.offset();
    const std::uint32_t size = in.U32("string length");
    if (size < 2 || size % 2 != 0) {
        Fail(at, "string length " + std::to_string(size) + " is not an even count of at least 2");
    }
    const auto bytes = in.Take(size, "string");
    std::u16string text;
    for (std::size_t i = 0; i + 2 < size; i += 2) {
        text.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
    }
    if (bytes[size - 2] != 0 || bytes[size - 1] != 0) Fail(at, "string has no terminator");
    return text;
}

PlayerStateRecord::Value ReadValue(ByteReader& in) {
    const std::size_t at = in.offset();
    switch (const std::uint16_t tag = in.U16("type tag")) {
        case kVtBstr:
            return ReadString(in);
        case kVtR8:
            return in.F64("double");
        case kVtI4:
            return in.I32("integer");
        case kVtBool:
            return in.U16("boolean") != 0;
        default:
            Fail(at, "unknown type tag " + Hex(tag));
    }
}

template <typename T>
const T& ValueAt(const std::vector<PlayerStateRecord::Value>& values, std::size_t index, const std::string& name) {
    if (const T* value = std::get_if<T>(&values[index])) return *value;
    throw PlayerStateError("player state record: value " + std::to_string(index + 1) + " (" + name +
                           ") has the wrong type");
}

PlayerSettings SettingsFrom(const std::vector<PlayerStateRecord::Value>& values) {
    PlayerSettings settings;
    settings.autoStart = ValueAt<bool>(values, kAutoStartIndex, "autoStart");
    settings.rate = ValueAt<double>(values, kRateIndex, "rate");
    settings.volume = ValueAt<std::int32_t>(values, kVolumeIndex, "volume");
    settings.uiMode = ValueAt<std::u16string>(values, kUiModeIndex, "uiMode");
    if (!std::isfinite(settings.rate) || settings.rate <= 0) {
        throw PlayerStateError("player state record: rate is not a positive number");
    }
    if (settings.volume < 0 || settings.volume > 100) {
        throw PlayerStateError("player state record: volume " + std::to_string(settings.volume) +
                               " is outside 0 to 100");
    }
    return settings;
}

}  // namespace

PlayerStateRecord PlayerStateRecord::Parse(std::span<const std::uint8_t> bytes) {
    ByteReader record(bytes, 0);
    if (const auto id = record.U16("control id"); id != kControlId) {
        Fail(0, "control id " + std::to_string(id) + " is not " + std::to_string(kControlId));
    }
    if (const auto message = record.U16("message"); message != kLoadStateMessage) {
        Fail(2, "message " + Hex(message) + " is not " + Hex(kLoadStateMessage));
    }
    if (const auto length = record.U32("data length"); length != kDataLength) {
        Fail(4, "data length " + std::to_string(length) + " is not " + std::to_string(kDataLength));
    }
    const std::size_t dataOffset = record.offset();
    ByteReader data(record.Take(kDataLength, "data"), dataOffset);
    if (const auto end = record.U16("end marker"); end != 0) {
        Fail(record.offset() - 2, "end marker " + Hex(end) + " is not 0");
    }
    if (record.remaining() != 0) {
        Fail(record.offset(), "bytes after the end marker: " + std::to_string(record.remaining()));
    }

    PlayerStateRecord result;
    data.Take(kStreamHeaderSize, "stream header");
    for (std::size_t i = 0; i < kValueCount; ++i) {
        result.values_.push_back(ReadValue(data));
    }
    result.extentWidth_ = data.I32("extent width");
    result.extentHeight_ = data.I32("extent height");
    if (data.remaining() != 0) {
        Fail(data.offset(), "data bytes after the extent: " + std::to_string(data.remaining()));
    }
    result.settings_ = SettingsFrom(result.values_);
    return result;
}

}  // namespace sonatag
