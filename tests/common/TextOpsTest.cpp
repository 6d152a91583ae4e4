#include <gtest/gtest.h>

#include "common/TextOps.h"

namespace tallowin::common {
namespace {

struct FindCase {
    const char* text;
    const char* what;
    int start;
    bool ignoreCase;
    int expected;
};

TEST(TextOps, FindMatchesOnlyAtCharacterStarts) {
    // "\x81\x41" is one GBK character whose trail byte is "A".
    const FindCase cases[] = {
        {"abcabc", "bc", 1, false, 2},
        {"abcabc", "bc", 3, false, 5},
        {"abcabc", "bc", -5, false, 2},
        {"abcabc", "BC", 1, false, -1},
        {"abcabc", "BC", 1, true, 2},
        {"\x81\x41"
         "A",
         "A", 1, false, 3},
        {"\x81\x41"
         "a",
         "A", 1, true, 3},
        {"中文", "文", 1, false, 3},
        {"abc", "", 1, false, -1},
        {"abc", "abcd", 1, false, -1},
        {"abc", "c", 4, false, -1},
        {"", "a", 1, false, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Find(c.text, c.what, c.start, c.ignoreCase), c.expected)
            << "Find(\"" << c.text << "\", \"" << c.what << "\", " << c.start << ")";
    }
}

TEST(TextOps, FindLastStaysWithinBytesBeforeStart) {
    EXPECT_EQ(FindLast("a-b-c", "-"), 4);
    EXPECT_EQ(FindLast("a-b-c", "-", 5), 4);  // bytes 1..4 hold the second dash
    EXPECT_EQ(FindLast("a-b-c", "-", 4), 2);
    EXPECT_EQ(FindLast("a-b-c", "-", 2), -1);
    EXPECT_EQ(FindLast("a-b-c", "-", 1), -1);
    EXPECT_EQ(FindLast("a-b-c", "-", 0), -1);
    EXPECT_EQ(FindLast("ab", "ab", 2), -1);  // must lie wholly before the start
    EXPECT_EQ(FindLast("\x81\x41", "A"), -1);
    EXPECT_EQ(FindLast("xAxa", "A", std::nullopt, true), 4);
}

TEST(TextOps, PartsByByteCount) {
    EXPECT_EQ(Left("abc", 2), Text("ab"));
    EXPECT_EQ(Left("abc", 0), Text(""));
    EXPECT_EQ(Left("abc", -1), Text(""));
    EXPECT_EQ(Left("abc", 9), Text("abc"));
    EXPECT_EQ(Right("abc", 2), Text("bc"));
    EXPECT_EQ(Right("abc", 0), Text(""));
    EXPECT_EQ(Right("abc", 9), Text("abc"));
    EXPECT_EQ(Mid("abcdef", 2, 3), Text("bcd"));
    EXPECT_EQ(Mid("abcdef", 4), Text("def"));
    EXPECT_EQ(Mid("abcdef", 0, 2), Text("ab"));
    EXPECT_EQ(Mid("abcdef", 7), Text(""));
    EXPECT_EQ(Mid("abcdef", 2, 0), Text(""));
    EXPECT_EQ(Mid("abcdef", 5, 10), Text("ef"));
}

TEST(TextOps, SplitKeepsInnerEmptyPiecesAndDropsAnEmptyLastOne) {
    struct Case {
        const char* text;
        const char* separator;
        TextArray expected;
    } const cases[] = {
        {"", "\r\n", {}},
        {"a", "\r\n", {"a"}},
        {"a\r\nb\r\n", "\r\n", {"a", "b"}},
        {"a\r\n\r\nb", "\r\n", {"a", "", "b"}},
        {"\r\na", "\r\n", {"", "a"}},
        {"\r\n", "\r\n", {""}},
        {"a\r\n\r\n", "\r\n", {"a", ""}},
        {"x-y-", "-", {"x", "y"}},
        {"\x81-a-b", "-", {"\x81-a", "b"}},  // a trail byte is no separator
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Split(c.text, c.separator), c.expected) << "Split(\"" << c.text << "\")";
    }
}

TEST(TextOps, BlanksAreSpaceAndFullWidthSpaceOnly) {
    EXPECT_EQ(Trim("  a b  "), Text("a b"));
    EXPECT_EQ(Trim("\xA1\xA1"
                   "a\xA1\xA1"),
              Text("a"));
    EXPECT_EQ(Trim("\ta\n"), Text("\ta\n"));
    EXPECT_EQ(Trim("   "), Text(""));
    // "\xB0\xA1" ends in A1 but is one character, not half a blank; the lone
    // A1 after it takes the space as its trail byte.
    EXPECT_EQ(Trim("\xB0\xA1\xA1\xA1 "), Text("\xB0\xA1"));
    EXPECT_EQ(Trim("\xB0\xA1\xA1 "), Text("\xB0\xA1\xA1 "));
    EXPECT_EQ(RemoveAllBlanks(" 你 好\xA1\xA1世\t界 "), Text("你好世\t界"));
    EXPECT_EQ(RemoveAllBlanks("ab\xC4"), Text("ab"));  // lone lead byte at the end
}

TEST(TextOps, ReplaceCaseAndIntegerValue) {
    EXPECT_EQ(ReplaceAll("aXbxc", "x", "-"), Text("aXb-c"));
    EXPECT_EQ(ReplaceAll("aXbxc", "x", "-", true), Text("a-b-c"));
    EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), Text("ba"));
    EXPECT_EQ(ReplaceAll("\x81\x41"
                         "A",
                         "A", ""),
              Text("\x81\x41"));
    EXPECT_EQ(ToUpper("ab中c"), Text("AB中C"));
    EXPECT_EQ(ToLower("AB中C"), Text("ab中c"));

    struct Case {
        const char* text;
        std::int64_t expected;
    } const cases[] = {
        {"120", 120},
        {"  -20", -20},
        {"+7x", 7},
        {"", 0},
        {"x1", 0},
        {"\xA1\xA1"
         "5",
         5},
        {"\t5", 0},
        {"-", 0},
        {"99999999999999999999", INT64_MAX},
    };
    for (const auto& c : cases) EXPECT_EQ(IntegerValue(c.text), c.expected) << c.text;
}

TEST(TextOps, NumbersAsPlainDecimal) {
    EXPECT_EQ(NumberText(0), Text("0"));
    EXPECT_EQ(NumberText(-42), Text("-42"));
    EXPECT_EQ(NumberText(std::int64_t{1} << 40), Text("1099511627776"));
    EXPECT_EQ(NumberText(71.0), Text("71"));
    EXPECT_EQ(NumberText(0.5), Text("0.5"));
    EXPECT_EQ(NumberText(1.0 / 3.0), Text("0.3333333333333"));
    EXPECT_EQ(NumberText(28.999999999999996), Text("29"));
    EXPECT_EQ(NumberText(1e20), Text("100000000000000000000"));
    EXPECT_EQ(NumberText(-0.00012), Text("-0.00012"));
}

}  // namespace
}  // namespace tallowin::common
