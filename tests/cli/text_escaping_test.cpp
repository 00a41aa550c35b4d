#include "cli/text_escaping.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace sonatag::cli {
namespace {

TEST(TextEscapingTest, ControlsThatHideOrReorderTextAreEscaped) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\u202E3pm.exe", "a\\u202e3pm.exe"},            // right-to-left override
        {"\u0080\u0085\u009F", "\\u0080\\u0085\\u009f"},  // C1
        {"\u202A\u202D\u2066\u2069\u200E\u200F\u061C", "\\u202a\\u202d\\u2066\\u2069\\u200e\\u200f\\u061c"},
        {"\u00A0\u2029\u202F\u2065\u206A\u061B歌", "\u00A0\u2029\u202F\u2065\u206A\u061B歌"},  // neighbours stay
    };
    for (const auto& [text, escaped] : cases) {
        std::string json, display;
        AppendJsonString(json, text);
        AppendDisplayText(display, text);
        EXPECT_EQ(json, '"' + escaped + '"');
        EXPECT_EQ(display, escaped);
    }
}

}  // namespace
}  // namespace sonatag::cli
