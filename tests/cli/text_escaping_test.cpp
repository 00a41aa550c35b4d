#include "cli/text_escaping.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/cli/cli_process.h"

namespace sonatag::cli {
namespace {

TEST(TextEscapingTest, ControlsThatHideOrReorderTextAreEscaped) {
    struct Case {
        std::string text, json, display;
    };
    const Case cases[] = {
        {"a\u202E3pm.exe", "a\\u202e3pm.exe", "a\\u202e3pm.exe"},  // right-to-left override
        {"\x7F", "\\u007f", "\\x7f"},
        {"\u0080\u0085\u009F", "\\u0080\\u0085\\u009f", "\\u0080\\u0085\\u009f"},
        {"\u202A\u202D\u2066\u2069", "\\u202a\\u202d\\u2066\\u2069", "\\u202a\\u202d\\u2066\\u2069"},
        {"\u200E\u200F\u061C", "\\u200e\\u200f\\u061c", "\\u200e\\u200f\\u061c"},
        // Their neighbours stay as they are.
        {"\u00A0\u2029\u202F\u2065\u206A\u061B", "\u00A0\u2029\u202F\u2065\u206A\u061B",
         "\u00A0\u2029\u202F\u2065\u206A\u061B"},
        {"歌 \u00E9", "歌 \u00E9", "歌 \u00E9"},
    };
    for (const Case& c : cases) {
        std::string json, display;
        AppendJsonString(json, c.text);
        AppendDisplayText(display, c.text);
        EXPECT_EQ(json, '"' + c.json + '"') << c.text;
        EXPECT_EQ(display, c.display) << c.text;
    }
}

using test::CliTest;
using test::RunCli;

TEST_F(CliTest, ANameWithABidirectionalControlIsShownEscapedEverywhere) {
    const std::string name = MakeFile("a\u202E3pm.exe");
    const std::string shown = dir.file("a\\u202e3pm.exe");
    const std::string missing = dir.file("b\u2067.mp3");
    EXPECT_EQ(RunCli({"show", name}).out, shown + ": no tag\n");
    EXPECT_EQ(RunCli({"show", "--json", name}).out, "{\"path\": \"" + shown + "\", \"status\": \"notag\"}\n");
    EXPECT_TRUE(RunCli({"set", "--title", "t", missing}).err.starts_with("sonatag-cli: " + dir.file("b\\u2067.mp3")));
}

}  // namespace
}  // namespace sonatag::cli
