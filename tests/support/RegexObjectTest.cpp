#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/Automation.h"
#include "support/RegexObject.h"

namespace tallowin::support {
namespace {

TEST(RegexObject, AllOptionsOmittedIgnoresCaseAndFindsEveryMatch) {
    RegexObject re;
    ASSERT_TRUE(re.Create("<em>(.*?)</em>", "a<em>b</em>c<EM>d</EM>"));
    EXPECT_EQ(re.MatchCount(), 2);
    EXPECT_EQ(re.MatchText(1), "<em>b</em>");
    EXPECT_EQ(re.SubMatchText(1, 1), "b");
    EXPECT_EQ(re.SubMatchText(2, 1), "d");
    EXPECT_EQ(re.SubMatchCount(), 1);
    EXPECT_EQ(re.Replace(""), "ac");
    EXPECT_EQ(re.GetPattern(), "<em>(.*?)</em>");
}

struct OptionCase {
    const char* name;
    const char* pattern;
    const char* subject;
    std::optional<bool> caseSensitive, multiline, global, quotePlaceholder;
    int count;
    const char* first;
};

TEST(RegexObject, OptionsReachTheEngine) {
    const OptionCase cases[] = {
        {"case sensitive",
         "<em>(.*?)</em>",
         "a<em>b</em>c<EM>d</EM>",
         true,
         {},
         {},
         {},
         1,
         "<em>b</em>"},
        {"dot stops at line feed", "<em>(.*?)</em>", "<em>b\n</em>", {}, {}, {}, {}, 0, ""},
        {"not global", "b", "abcb", {}, {}, false, {}, 1, "b"},
        {"multiline by default", "^b", "a\nb", {}, {}, {}, {}, 1, "b"},
        {"multiline off", "^b", "a\nb", {}, false, {}, {}, 0, ""},
        {"placeholder turned into a quote",
         "a#引号b",
         "xa\"b a#引号b",
         {},
         {},
         {},
         true,
         1,
         "a\"b"},
        {"placeholder kept as it stands",
         "a#引号b",
         "xa\"b a#引号b",
         {},
         {},
         {},
         false,
         1,
         "a#引号b"},
        {"placeholder default off", "a#引号b", "a\"b", {}, {}, {}, {}, 0, ""},
        {"Chinese subject", "文(.)", "中文字文章", {}, {}, {}, {}, 2, "文字"},
    };
    for (const auto& c : cases) {
        RegexObject re;
        EXPECT_TRUE(re.Create(c.pattern, c.subject, c.caseSensitive, c.multiline, c.global,
                              c.quotePlaceholder))
            << c.name;
        EXPECT_EQ(re.MatchCount(), c.count) << c.name;
        EXPECT_EQ(re.MatchText(1), Text(c.first)) << c.name;
    }
}

TEST(RegexObject, PlaceholderReplacedOnlyAtCharacterStarts) {
    // After the lead byte 0x81 the "#" is taken as its trail byte, so no
    // placeholder starts there (the invalid pair reaches the engine as U+FFFD).
    RegexObject re;
    ASSERT_TRUE(re.Create("\x81#引号", "\x81\"", {}, {}, {}, true));
    EXPECT_EQ(re.GetPattern(), "?#引号");
    EXPECT_EQ(re.MatchCount(), 0);
}

TEST(RegexObject, IndicesOutsideTheMatchesGiveEmptyText) {
    RegexObject re;
    ASSERT_TRUE(re.Create("(a)(b)?", "a ab"));
    ASSERT_EQ(re.MatchCount(), 2);
    EXPECT_EQ(re.SubMatchCount(), 2);
    const struct {
        int match, group;
        const char* expected;
    } cases[] = {
        {1, 1, "a"}, {2, 2, "b"}, {1, 2, ""},  // group 2 took no part in the first match
        {0, 1, ""},  {3, 1, ""},  {1, 0, ""}, {1, 3, ""}, {-1, 1, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(re.SubMatchText(c.match, c.group), Text(c.expected)) << c.match << "," << c.group;
    }
    EXPECT_EQ(re.MatchText(0), "");
    EXPECT_EQ(re.MatchText(re.MatchCount() + 1), "");
}

TEST(RegexObject, InvalidPatternAndQueriesBeforeCreate) {
    RegexObject fresh;
    EXPECT_EQ(fresh.MatchCount(), 0);
    EXPECT_EQ(fresh.SubMatchCount(), 0);
    EXPECT_EQ(fresh.MatchText(1), "");
    EXPECT_EQ(fresh.SubMatchText(1, 1), "");
    EXPECT_EQ(fresh.GetPattern(), "");
    EXPECT_EQ(fresh.Replace("x"), "");

    RegexObject re;
    ASSERT_TRUE(re.Create("a", "a"));
    EXPECT_FALSE(re.Create("(a", "a"));  // an unbalanced parenthesis
    EXPECT_EQ(re.MatchCount(), 0);
    EXPECT_EQ(re.MatchText(1), "");
    EXPECT_EQ(re.Replace("x"), "");
}

TEST(RegexObject, PatternMatchingNothingStillCreates) {
    RegexObject re;
    EXPECT_TRUE(re.Create("xyz", "abc"));
    EXPECT_EQ(re.MatchCount(), 0);
    EXPECT_EQ(re.SubMatchCount(), 0);
    EXPECT_EQ(re.Replace("-"), "abc");
}

TEST(RegexObject, ReplaceUsesTheEnginesReferencesAndKeepsTheSubject) {
    RegexObject re;
    ASSERT_TRUE(re.Create("<(.)>", "a<b>c<d>"));
    EXPECT_EQ(re.Replace("[$1$$]"), "a[b$]c[d$]");
    EXPECT_EQ(re.Replace("中"), "a中c中");
    EXPECT_EQ(re.MatchCount(), 2);  // Replace leaves the matches alone
}

TEST(RegexObject, CreateAgainStartsFromANewEngine) {
    RegexObject re;
    ASSERT_TRUE(re.Create("A", "aA", true, {}, false));
    ASSERT_TRUE(re.Create("b", "bB"));  // options omitted again: their defaults, not the last ones
    EXPECT_EQ(re.MatchCount(), 2);
    EXPECT_EQ(re.GetPattern(), "b");
}

TEST(RegexObject, CopiesShareTheMatchesAndPairTheirInitialisation) {
    const int before = platform::AutomationInitCount();
    {
        RegexObject re;
        EXPECT_EQ(platform::AutomationInitCount(), before + 1);
        ASSERT_TRUE(re.Create("(\\d)", "1 2 3"));
        RegexObject copy(re);
        EXPECT_EQ(platform::AutomationInitCount(), before + 2);
        ASSERT_TRUE(re.Create("x", "x"));  // the copy keeps the earlier engine and matches
        EXPECT_EQ(copy.MatchCount(), 3);
        EXPECT_EQ(copy.SubMatchText(3, 1), "3");
        EXPECT_EQ(copy.Replace("<$1>"), "<1> <2> <3>");
        RegexObject assigned;
        assigned = copy;
        EXPECT_EQ(assigned.MatchText(2), "2");
        assigned = assigned;
        EXPECT_EQ(assigned.MatchCount(), 3);
    }
    EXPECT_EQ(platform::AutomationInitCount(), before);
}

TEST(RegexObject, PositionsAreByteOffsetsInTheSubject) {
    RegexObject re;
    // The match starts at unit 2 but at byte 4: the search starts at the byte.
    ASSERT_TRUE(re.Create("b(b)", "中文bb中bb"));
    int position = -7;
    EXPECT_EQ(re.MatchText(2, &position), "bb");
    EXPECT_EQ(position, 8);
    EXPECT_EQ(re.SubMatchText(1, 1, &position), "b");
    EXPECT_EQ(position, 4);  // searched from the match start, so the first b of the match
    EXPECT_EQ(re.MatchText(3, &position), "");
    EXPECT_EQ(position, -1);

    // With the engine ignoring case the search does too.
    ASSERT_TRUE(re.Create("x(X)", "xX"));
    EXPECT_EQ(re.SubMatchText(1, 1, &position), "X");
    EXPECT_EQ(position, 0);
    ASSERT_TRUE(re.Create("x(X)", "xX", true));
    EXPECT_EQ(re.SubMatchText(1, 1, &position), "X");
    EXPECT_EQ(position, 1);
}

}  // namespace
}  // namespace tallowin::support
