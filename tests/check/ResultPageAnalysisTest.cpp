#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "check/ResultPageAnalysis.h"
#include "platform/Automation.h"
#include "support/CodePages.h"

namespace tallowin::check {
namespace {

// A page holding one result block per line, as the engine lays them out.
Text Block(const Text& title, const Text& abstract, const Text& url = "http://x.example/1") {
    return Text("<div class=\"result c-container \" id=\"1\"><h3 class=\"t\"><a href=\"") + url +
           "\" target=\"_blank\">" + title + "</a></h3><div class=\"c-abstract\">" + abstract +
           "</div></div>\n";
}

// A saved page (UTF-8) held as the system holds one: GBK, "?" for what GBK lacks.
Text ReadPage(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return support::Utf8ToGbk(Text(bytes.str()));
}

struct Outcome {
    int count = -1;
    TextArray urls;
    int blocks = -1;
};

Outcome Analyse(const Text& html, float threshold = SimilarityThreshold) {
    Outcome out;
    EXPECT_TRUE(AnalyseResultPage(threshold, html, out.count, out.urls, &out.blocks));
    return out;
}

TEST(AnalyseResultPage, CountsResultsHighlightedMoreThanTheThreshold) {
    struct Case {
        const char* title;
        const char* abstract;
        bool counted;
    };
    const Case cases[] = {
        {"<em>abc</em>de", "", true},             // 3 : 2
        {"<em>ab</em>cde", "", true},             // 2 : 3
        {"<em>ab</em>cdef", "", false},           // 2 : 4
        {"<em>abc</em>defgh", "", false},         // exactly 0.6 is not more
        {"<em>ab</em>", "<em>c</em>defg", true},  // title and abstract add up: 3 : 4
        {"<em>a, b</em>cd", "", true},            // comma and blank not measured: 2 : 2
        {"<EM>abc</EM>de", "", true},             // tags in any case
        {"<em>ab</em>c<em>d</em>ef", "", true},   // several marks: 3 : 3
        {"<em>中文</em>abcde", "", true},         // bytes, not characters: 4 : 5
        {"<em>中</em>abcd", "", false},           // 2 : 4
        {"<em>abcd</em>", "<span class=\"m\">2019-04-28&nbsp;</span>efg", true},  // span gone
        {"<em>abcd</em>", "<SPAN>2019年4月28日</SPAN>efg", true},
        {"<em>abc</em>de<font color=red>x</font>", "", false},  // other markup is measured
        {"<em>abc</em>", "<em>de</em>", true},                  // nothing else: counted
        {"", "", false},                                        // nothing at all
        {"<em></em>", "<span>2020</span>", false},
        {"<em>，。！；、？'{【】|.,!?-&gt;/\\:</em>ab", "", false},   // marks never count as red
        {"<em>ab</em>cd，。！；、？'{【】|.,!?-&gt;/\\:", "", true},  // nor as rest
    };
    for (const auto& c : cases) {
        const Outcome out = Analyse(Block(c.title, c.abstract));
        EXPECT_EQ(out.blocks, 1) << "title \"" << c.title << "\"";
        EXPECT_EQ(out.count, c.counted ? 1 : 0)
            << "title \"" << c.title << "\" abstract \"" << c.abstract << "\"";
    }
}

TEST(AnalyseResultPage, ThresholdNeedsToBeExceeded) {
    struct Case {
        float threshold;
        const char* title;
        bool counted;
    };
    const Case cases[] = {
        {0.5f, "<em>a</em>bc", false},  // equal is not greater
        {0.4f, "<em>a</em>bc", true},  {1.0f, "<em>ab</em>cd", false},
        {1.0f, "<em>ab</em>c", true},  {0.0f, "a", false},  // 0 : 1 is not above 0
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Analyse(Block(c.title, ""), c.threshold).count, c.counted ? 1 : 0)
            << "threshold " << c.threshold << " title \"" << c.title << "\"";
    }
}

TEST(AnalyseResultPage, RecognisesOnlyTheResultBlockLayout) {
    const Text h3 =
        "<h3 class=\"t\"><a href=\"http://x.example/1\" target=\"_blank\"><em>ab</em></a></h3>";
    const Text abstract = "<div class=\"c-abstract\"><em>cd</em></div></div>";
    struct Case {
        Text line;
        int blocks;
    };
    const Case cases[] = {
        {"<div class=\"result c-container \">" + h3 + abstract, 1},
        {"<div class=\"result c-container new-pmd\" id=\"3\">" + h3 + abstract, 1},
        {"<div class=\"result c-container\">" + h3 + abstract, 0},            // no blank after
        {"<div id=\"3\" class=\"result c-container \">" + h3 + abstract, 0},  // class not first
        {"<div class=\"result c-container \">" + h3 + "<div class=\"c-abstract c-color\">x</div>",
         0},
        {"<div class=\"result c-container \">" + h3 + " <div class=\"c-abstract\">x</div>", 0},
        {"<div class=\"result c-container \"><h3><a data-click=\"{}\" href=\"u\">t</a></h3>" +
             abstract,
         0},                                                           // href not first
        {"<div class=\"result c-container \">\n" + h3 + abstract, 0},  // line feed inside
        {"<div class=\"result c-container \">" + h3 + "\n" + abstract, 0},
        {"<div class=\"result c-container \r\">" + h3 + abstract, 1},  // CR is no line end
        {"", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Analyse(c.line).blocks, c.blocks) << c.line;
    }
}

TEST(AnalyseResultPage, TakesAddressesVerbatimAndInPageOrder) {
    const Text page = Block("<em>abc</em>", "", "http://x.example/?a=1&amp;b=%E4") +
                      Block("plain text only", "", "http://x.example/skipped") +
                      Block("<em>def</em>", "", "http://x.example/?a=1&amp;b=%E4") +
                      Block("<em>中文</em>", "", "http://x.example/中文");
    const Outcome out = Analyse(page);
    EXPECT_EQ(out.blocks, 4);
    EXPECT_EQ(out.count, 3);
    const TextArray expected{"http://x.example/?a=1&amp;b=%E4", "http://x.example/?a=1&amp;b=%E4",
                             "http://x.example/中文"};
    EXPECT_EQ(out.urls, expected);
}

TEST(AnalyseResultPage, ForgetsTheCallersEarlierValues) {
    int count = 99;
    TextArray urls{"http://stale.example/"};
    EXPECT_TRUE(
        AnalyseResultPage(SimilarityThreshold, "<html>not a result page</html>", count, urls));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(urls.empty());
}

TEST(AnalyseResultPage, HandFixtureInTheRecognisedLayout) {
    const int initCount = platform::AutomationInitCount();
    const Outcome out = Analyse(ReadPage(TALLOWIN_TEST_FIXTURES "/check/recognised.html"));
    EXPECT_EQ(out.blocks, 6);
    EXPECT_EQ(out.count, 4);
    const TextArray expected{"http://www.example.com/a?x=1&amp;y=2", "http://www.example.com/c",
                             "http://www.example.com/a?x=1&amp;y=2", "http://www.example.com/ko"};
    EXPECT_EQ(out.urls, expected);
    EXPECT_EQ(platform::AutomationInitCount(), initCount);  // every initialisation undone
}

TEST(AnalyseResultPage, RealPagesOfOtherLayoutsGiveZero) {
    int pages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TALLOWIN_TEST_FIXTURES "/serp")) {
        if (entry.path().extension() != ".html") continue;
        ++pages;
        const Text html = ReadPage(entry.path());
        EXPECT_GT(html.Length(), 1000) << entry.path();
        const Outcome out = Analyse(html);
        EXPECT_EQ(out.count, 0) << entry.path();
        EXPECT_TRUE(out.urls.empty()) << entry.path();
        EXPECT_EQ(out.blocks, 0) << entry.path();
    }
    EXPECT_EQ(pages, 4);
}

TEST(SplitHighlighted, SeparatesMarkedTextFromTheRest) {
    struct Case {
        const char* text;
        const char* red;
        const char* rest;
    };
    const Case cases[] = {
        {"<em>ab</em>c<EM>d</EM>e", "abd", "ce"},
        {"<em>a</em>b<em>c</em>", "ac", "b"},       // lazy: one element at a time
        {"<em>a <b>x</b></em>y", "a<b>x<b>", "y"},  // inner markup kept, "/" removed
        {"<em>a", "", "<em>a"},                     // unclosed: no element
        {"<em>a\n</em>b", "", "<em>a\n<em>b"},      // no element across a line feed
        {"x <font>y</font>", "", "x<font>y<font>"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        Text red = "stale";
        Text rest = "stale";
        SplitHighlighted(c.text, red, rest);
        EXPECT_EQ(red, Text(c.red)) << "text \"" << c.text << "\"";
        EXPECT_EQ(rest, Text(c.rest)) << "text \"" << c.text << "\"";
    }
}

TEST(NormaliseForCount, RemovesBlanksAndTwentyMarks) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"a b　c", "abc"},
        {"，。！；、？'{【】|.,!?-&gt;/\\:", ""},
        {"：（）“”}&lt;&amp;", "：（）“”}&lt;&amp;"},  // other marks stay
        {"\t\r\n", "\t\r\n"},
        {"&-gt;", ""},                             // "-" goes first, then the "&gt;" it leaves
        {"&g/t;", "&gt;"},                         // "&gt;" has had its turn before "/"
        {"\x81\x2E\x81\x7C", "\x81\x2E\x81\x7C"},  // trail bytes are not marks
        {"ab\xA1", "ab"},                          // a lone lead byte at the end is dropped
        {"中文ABC", "中文ABC"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NormaliseForCount(c.text), Text(c.expected)) << "text \"" << c.text << "\"";
    }
}

}  // namespace
}  // namespace tallowin::check
