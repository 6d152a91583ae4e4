#include <gtest/gtest.h>

#include "check/QueryEncoding.h"

namespace tallowin::check {
namespace {

TEST(PercentEncode, EscapesBytes) {
    struct Case {
        const char* text;
        bool keepPlain;
        bool utf8;
        const char* expected;
    };
    const Case cases[] = {
        {"", false, false, ""},
        {"", true, true, ""},
        {"ab 1/", false, false, "%61%62%20%31%2F"},
        {"ab 1/", true, false, "ab%201%2F"},
        {"中文", false, false, "%D6%D0%CE%C4"},
        {"中文", true, false, "%D6%D0%CE%C4"},
        {"中文", false, true, "%E4%B8%AD%E6%96%87"},
        {"中文", true, true, "%E4%B8%AD%E6%96%87"},
        {"-._~", true, false, "-.%5F%7E"},
        {"-._~+", false, false, "%2D%2E%5F%7E%2B"},
        {"\t", false, false, "%09"},
        {"\x81\x41", true, false, "%81A"},  // the trail byte is judged alone
        {"AZaz09@[`{", true, false, "AZaz09%40%5B%60%7B"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PercentEncode(c.text, c.keepPlain, c.utf8), Text(c.expected))
            << "text \"" << c.text << "\" keepPlain " << c.keepPlain << " utf8 " << c.utf8;
    }
}

TEST(PercentEncode, DefaultsEscapeEveryGbkByte) {
    EXPECT_EQ(PercentEncode("a 中"), Text("%61%20%D6%D0"));
}

}  // namespace
}  // namespace tallowin::check
