#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/Automation.h"
#include "platform/CodePage.h"
#include "platform/RegExpEngine.h"

namespace tallowin::platform {
namespace {

std::string Utf8(const std::u16string& wide) { return WideToMultiByte(wide, kCodePageUtf8); }

AutomationObject Engine(const std::u16string& pattern, bool ignoreCase = false, bool global = true,
                        bool multiline = false) {
    AutomationObject re = CreateObject("VBScript.RegExp");
    EXPECT_TRUE(re.Set("Pattern", pattern));
    EXPECT_TRUE(re.Set("IgnoreCase", ignoreCase));
    EXPECT_TRUE(re.Set("Global", global));
    EXPECT_TRUE(re.Set("Multiline", multiline));
    return re;
}

// Every match as "FirstIndex:Value", joined by " | ", in UTF-8.
std::string Matches(const AutomationObject& re, const std::u16string& subject) {
    const AutomationObject matches = re.Call("Execute", {subject}).AsObject();
    if (matches.IsEmpty()) return "(no collection)";
    std::u16string out;
    const auto count = matches.Get("Count").AsInteger();
    for (std::int64_t i = 0; i < count; ++i) {
        const AutomationObject m = matches.Get("Item", {i}).AsObject();
        if (!out.empty()) out += u" | ";
        out += m.Get("FirstIndex").AsWide() + u":" + m.Get("Value").AsWide();
    }
    return Utf8(out);
}

TEST(RegExpEngine, CreatableByNameWithVBScriptDefaults) {
    AutomationObject re = CreateObject("vbscript.regexp");  // class names ignore case
    ASSERT_FALSE(re.IsEmpty());
    EXPECT_EQ(re.Get("Pattern").AsWide(), u"");
    EXPECT_FALSE(re.Get("IgnoreCase").AsBool());
    EXPECT_FALSE(re.Get("Global").AsBool());
    EXPECT_FALSE(re.Get("Multiline").AsBool());
    EXPECT_TRUE(re.Set("pattern", u"a+"));  // so do member names
    EXPECT_EQ(re.Get("PATTERN").AsWide(), u"a+");
    EXPECT_FALSE(re.Set("NoSuchProperty", true));
    EXPECT_TRUE(re.Call("NoSuchMethod").IsEmpty());
    EXPECT_TRUE(re.Call("Execute").IsEmpty());  // an argument missing
}

TEST(RegExpEngine, MatchingBehaviours) {
    const struct {
        const char* name;
        std::u16string pattern;
        bool ignoreCase, global, multiline;
        std::u16string subject;
        const char8_t* expected;
    } cases[] = {
        {"dot stops at line feed", u"a.c", false, true, false, u"a\nc abc a\rc",
         u8"4:abc | 8:a\rc"},
        {"lazy repetition", u"<(.*?)>", false, true, false, u"<a><b>", u8"0:<a> | 3:<b>"},
        {"greedy repetition", u"<(.*)>", false, true, false, u"<a><b>", u8"0:<a><b>"},
        {"not global: first match only", u"\\d", false, false, false, u"a1b2", u8"1:1"},
        {"empty matches advance by one", u"a*", false, true, false, u"baa", u8"0: | 1:aa | 3:"},
        {"ignore case", u"ab", true, true, false, u"ab AB aB", u8"0:ab | 3:AB | 6:aB"},
        {"ignore case beyond ASCII", u"é", true, true, false, u"É", u8"0:É"},
        {"case kept", u"ab", false, true, false, u"ab AB", u8"0:ab"},
        {"caret only at the start", u"^b", false, true, false, u"b\nb", u8"0:b"},
        {"caret at line starts", u"^b", false, true, true, u"b\nb", u8"0:b | 2:b"},
        {"dollar only at the very end", u"b$", false, true, false, u"b\nb\n", u8""},
        {"dollar at line ends", u"b$", false, true, true, u"b\nb", u8"0:b | 2:b"},
        {"characters, not units", u"^.$", false, true, false, u"\U0001F600", u8"0:\U0001F600"},
        {"Chinese", u"中(.)", false, true, false, u"文中文中国", u8"1:中文 | 3:中国"},
        {"backslash-u escape", u"\\u4e2d", false, true, false, u"中", u8"0:中"},
        {"unset group's back reference is empty", u"(a)?b\\1", false, true, false, u"b", u8"0:b"},
        {"no match", u"xyz", false, true, false, u"abc", u8""},
        {"empty subject", u"a*", false, true, false, u"", u8"0:"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Matches(Engine(c.pattern, c.ignoreCase, c.global, c.multiline), c.subject),
                  reinterpret_cast<const char*>(c.expected))
            << c.name;
    }
}

TEST(RegExpEngine, SubMatchesNumberedFromOneInOpeningOrder) {
    AutomationObject re = Engine(u"((a)|(b))(c)?");
    const AutomationObject matches = re.Call("Execute", {u"ab"}).AsObject();
    ASSERT_EQ(matches.Get("Count").AsInteger(), 2);
    const AutomationObject second = matches.Call("Item", {1}).AsObject();
    EXPECT_EQ(second.Get("FirstIndex").AsInteger(), 1);
    EXPECT_EQ(second.Get("Length").AsInteger(), 1);
    const AutomationObject groups = second.Get("SubMatches").AsObject();
    ASSERT_EQ(groups.Get("Count").AsInteger(), 4);
    const char16_t* expected[] = {u"b", u"", u"b", u""};  // groups 2 and 4 took no part
    for (int j = 0; j < 4; ++j) EXPECT_EQ(groups.Get("Item", {j}).AsWide(), expected[j]) << j;
    EXPECT_TRUE(groups.Get("Item", {4}).IsEmpty());
    EXPECT_TRUE(groups.Get("Item", {-1}).IsEmpty());
    EXPECT_TRUE(matches.Get("Item", {2}).IsEmpty());
    EXPECT_TRUE(matches.Get("Item").IsEmpty());
}

TEST(RegExpEngine, MatchesOutliveTheEngineAndItsNextPattern) {
    AutomationObject re = Engine(u"(\\d+)");
    AutomationObject matches = re.Call("Execute", {u"x12y345"}).AsObject();
    re.Set("Pattern", u"y");
    re.Release();
    ASSERT_EQ(matches.Get("Count").AsInteger(), 2);
    const AutomationObject second = matches.Get("Item", {1}).AsObject();
    matches.Release();
    EXPECT_EQ(second.Get("SubMatches").AsObject().Get("Item", {0}).AsWide(), u"345");
}

TEST(RegExpEngine, Replace) {
    const struct {
        std::u16string pattern;
        bool global;
        std::u16string subject, replacement, expected;
    } cases[] = {
        {u"(a)(b)?", true, u"xabya", u"[$1|$2]", u"x[a|b]y[a|]"},
        {u"b", true, u"abc", u"<$&|$`|$'>", u"a<b|a|c>c"},
        {u"b", true, u"abc", u"$$1$", u"a$1$c"},
        {u"b", false, u"bbb", u"x", u"xbb"},
        {u"(a)", true, u"a", u"$0$2$10", u"$0$2a0"},  // no group 0, 2 or 10; $10 is $1 then 0
        {u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", true, u"abcdefghij", u"$10$01$011", u"jaa1"},
        {u"x*", true, u"ab", u"-", u"-a-b-"},
        {u"<em>.*?</em>", true, u"a<em>b</em>中<EM>c</EM>", u"", u"a中<EM>c</EM>"},
        {u"q", true, u"abc", u"z", u"abc"},
    };
    for (const auto& c : cases) {
        AutomationObject re = Engine(c.pattern, false, c.global);
        EXPECT_EQ(Utf8(re.Call("Replace", {c.subject, c.replacement}).AsWide()), Utf8(c.expected))
            << Utf8(c.pattern) << " / " << Utf8(c.replacement);
    }
}

TEST(RegExpEngine, InvalidPatternFailsEveryMethod) {
    for (const std::u16string pattern : {u"(a", u"a)", u"[a", u"a{2,1}", u"\\"}) {
        AutomationObject re = Engine(pattern);
        EXPECT_TRUE(re.Call("Execute", {u"a"}).IsEmpty()) << Utf8(pattern);
        EXPECT_TRUE(re.Call("Test", {u"a"}).IsEmpty()) << Utf8(pattern);
        EXPECT_TRUE(re.Call("Replace", {u"a", u"b"}).IsEmpty()) << Utf8(pattern);
        // A valid pattern set afterwards works again.
        re.Set("Pattern", u"a");
        EXPECT_TRUE(re.Call("Test", {u"a"}).AsBool());
    }
}

TEST(RegExpEngine, TestAndOptionChangesAfterUse) {
    AutomationObject re = Engine(u"^B");
    EXPECT_FALSE(re.Call("Test", {u"a\nb"}).AsBool());
    re.Set("IgnoreCase", true);
    re.Set("Multiline", true);
    EXPECT_TRUE(re.Call("Test", {u"a\nb"}).AsBool());
    EXPECT_FALSE(re.Call("Test", {u"a\nc"}).AsBool());
}

TEST(RegExpEngine, LoneSurrogatesInTheSubjectAreSafe) {
    const std::u16string subject{u'a', char16_t(0xD800), u'b', char16_t(0xDC00)};
    AutomationObject re = Engine(u".");
    EXPECT_EQ(re.Call("Execute", {subject}).AsObject().Get("Count").AsInteger(), 4);
    EXPECT_EQ(re.Call("Replace", {subject, u"x"}).AsWide(), u"xxxx");
}

// A line of result-block starts that never complete: every start sends the
// lazy parts of the pattern through all their combinations.
constexpr char16_t kBlockPattern[] =
    u"<div class=\"result c-container .*?><h3.*?><a href=\"(.*?)\".*?>(.*?)</a></h3>"
    u"<div class=\"c-abstract\">(.*?)</div>";

std::u16string BacktrackingLine(std::size_t bytes) {
    const std::u16string block =
        u"<div class=\"result c-container x\" id=\"1\"><h3 class=\"t\"><a href=\"http://a/\" "
        u"x=\"y\">title <em>red</em></a></h3><div class=\"other\">text</div></div>";
    std::u16string line;
    while (line.size() < bytes) line += block;
    return line;
}

TEST(RegExpEngine, BacktrackingPageEndsAtTheLimitWithoutMatches) {
    // Runs to the match limit and gives up: no match, no hang.
    AutomationObject re = Engine(kBlockPattern, true, true, true);
    const AutomationObject matches = re.Call("Execute", {BacktrackingLine(200 * 1024)}).AsObject();
    ASSERT_FALSE(matches.IsEmpty());
    EXPECT_EQ(matches.Get("Count").AsInteger(), 0);
    EXPECT_FALSE(re.Call("Test", {BacktrackingLine(200 * 1024)}).AsBool());
}

TEST(RegExpEngine, LongLineWithAnUnmatchedBlockStart) {
    // 280 KB on one line after a block start that never closes, then one real block.
    std::u16string page = u"<div class=\"result c-container \">";
    page.append(280 * 1024, u'x');
    page +=
        u"\n<div class=\"result c-container \"><h3><a href=\"u\">t</a></h3>"
        u"<div class=\"c-abstract\">a</div>";
    AutomationObject re = Engine(kBlockPattern, true, true, true);
    const AutomationObject matches = re.Call("Execute", {page}).AsObject();
    ASSERT_EQ(matches.Get("Count").AsInteger(), 1);
    const AutomationObject groups =
        matches.Get("Item", {0}).AsObject().Get("SubMatches").AsObject();
    EXPECT_EQ(groups.Get("Item", {0}).AsWide(), u"u");
    EXPECT_EQ(groups.Get("Item", {2}).AsWide(), u"a");
}

TEST(RegExpEngine, ObjectsOnSeveralThreads) {
    std::vector<std::thread> threads;
    std::vector<std::int64_t> counts(4, -1);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &counts] {
            AutomationObject re = Engine(u"(\\d)");
            std::int64_t total = 0;
            for (int i = 0; i < 200; ++i)
                total += re.Call("Execute", {u"1 2 3"}).AsObject().Get("Count").AsInteger();
            counts[t] = total;
        });
    }
    for (auto& thread : threads) thread.join();
    for (auto count : counts) EXPECT_EQ(count, 600);
}

}  // namespace
}  // namespace tallowin::platform
