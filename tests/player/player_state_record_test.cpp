#include "player/player_state_record.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

// The record as the program stores it in its resources.
static std::vector<std::uint8_t> StoredRecord() {
    Q_INIT_RESOURCE(player);
    QFile file(QStringLiteral(":/player/player_state.bin"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    return {bytes.begin(), bytes.end()};
}

namespace sonatag {
namespace {

using ::testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;

// The error text for bytes the decoder rejects; empty when it accepts them.
std::string RejectionOf(const Bytes& bytes) {
    try {
        PlayerStateRecord::Parse(bytes);
        return {};
    } catch (const PlayerStateError& error) {
        return error.what();
    }
}

std::size_t Find(const Bytes& haystack, const Bytes& needle) {
    return static_cast<std::size_t>(std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) -
                                    haystack.begin());
}

void Put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

TEST(PlayerStateRecord, DecodesTheStoredValuesIntoTheDefaultSettings) {
    const PlayerStateRecord record = PlayerStateRecord::Parse(StoredRecord());
    const std::u16string empty;
    const std::vector<PlayerStateRecord::Value> expected = {empty, 1.0,   0,     0.0,   empty,   1,     true,  0,
                                                            false, empty, 50,    false, u"full", false, false, true,
                                                            true,  false, empty, empty, empty,   empty, false};
    EXPECT_EQ(record.values(), expected);
    EXPECT_EQ(record.settings(), (PlayerSettings{true, 1.0, 50, u"full"}));
    // The player falls back on the defaults when the record is bad: they must be the same.
    EXPECT_EQ(record.settings(), PlayerSettings{});
}

TEST(PlayerStateRecord, RejectsEveryTruncation) {
    const Bytes record = StoredRecord();
    ASSERT_EQ(record.size(), 178u);
    for (std::size_t size = 0; size < record.size(); ++size) {
        // An exact-size copy, so that reading past its end trips the address sanitizer.
        const Bytes truncated(record.begin(), record.begin() + size);
        EXPECT_THAT(RejectionOf(truncated), HasSubstr("player state record")) << size;
    }
}

TEST(PlayerStateRecord, RejectsMalformedFieldsAndValues) {
    const Bytes record = StoredRecord();
    const std::size_t full = Find(record, {0x08, 0x00, 0x0A, 0x00, 0x00, 0x00, 'f', 0, 'u', 0, 'l', 0, 'l', 0, 0, 0});
    const std::size_t volume = Find(record, {0x03, 0x00, 50, 0, 0, 0});
    ASSERT_LT(full, record.size());
    const struct {
        std::function<void(Bytes&)> damage;
        std::string reason;
    } cases[] = {
        {[](Bytes& b) { b[0] = 0xFF; }, "control id"},
        {[](Bytes& b) { b[2] = 0x77; }, "message"},
        {[](Bytes& b) { Put32(b, 4, 169); }, "data length"},
        {[](Bytes& b) { Put32(b, 4, 0xFFFFFFFF); }, "data length"},
        {[](Bytes& b) { b.back() = 1; }, "end marker"},
        {[](Bytes& b) { b.push_back(0); }, "bytes after the end marker: 1"},
        {[](Bytes& b) { b[16] = 0x07; }, "byte 16: unknown type tag 0x0007"},  // the first value
        {[&](Bytes& b) { Put32(b, full + 2, 9); }, "string length 9"},
        {[&](Bytes& b) { Put32(b, full + 2, 0xFFFFFFFE); }, "string needs 4294967294 bytes"},
        {[&](Bytes& b) { b[full + 14] = 'x'; }, "no terminator"},
        {[&](Bytes& b) { b[volume + 2] = 101; }, "volume 101"},
        // A value of another size shifts everything after it out of step.
        {[&](Bytes& b) {
             b[Find(record, {0x0B, 0x00, 0xFF, 0xFF})] = 0x03;
         },
         "player state record"},
    };
    for (const auto& [damage, reason] : cases) {
        Bytes damaged = record;
        damage(damaged);
        EXPECT_THAT(RejectionOf(damaged), HasSubstr(reason));
    }
}

}  // namespace
}  // namespace sonatag
