#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "check/CheckRun.h"
#include "check/QueryEncoding.h"
#include "common/TextOps.h"

namespace tallowin::check {
namespace {

using common::Text;

struct Rows : ResultList {
    std::vector<std::vector<Text>> rows;
    int selected = -1;
    std::vector<int> scrolled;
    int RowCount() const override { return static_cast<int>(rows.size()); }
    Text CellText(int r, int c) const override { return rows.at(r).at(c); }
    void SetCellText(int r, int c, const Text& text) override { rows.at(r).at(c) = text; }
    int AppendRow() override {
        rows.emplace_back(kResultColumns);
        return RowCount() - 1;
    }
    void DeleteAllRows() override {
        rows.clear();
        selected = -1;
    }
    int CurrentSelection() const override { return selected; }
    void SetCurrentSelection(int r) override { selected = r; }
    void ScrollIntoView(int r) override { scrolled.push_back(r); }
};

struct FakeLabel : Label {
    Text text;
    Text Caption() const override { return text; }
    void SetCaption(const Text& c) override { text = c; }
};

// What the fake engine gives for one address.
struct Page {
    Page(Text h = {}, bool ok = true, int steps = 1, Text final = {})
        : html(std::move(h)),
          succeeded(ok),
          stepsToComplete(steps),
          finalAddress(std::move(final)) {}
    Text html;
    bool succeeded;
    int stepsToComplete;  // wait steps before the page completes; -1 never
    Text finalAddress;    // after redirects; "" means the address itself
};

const char* kHost = "127.0.0.1:9";

std::string Block(const std::string& href, const std::string& title) {
    return "<div class=\"result c-container \"><h3 class=\"t\"><a href=\"" + href + "\">" + title +
           "</a></h3><div class=\"c-abstract\">" + title + "</div></div>\n";
}
const Text kTwoSimilar(("<html><body>" + Block("http://a/1", "<em>红烧肉的做法</em>") +
                        Block("http://a/2", "<em>红烧肉的做法</em>") +
                        Block("http://a/3", "完全无关的其他内容") + "</body></html>")
                           .c_str());
const Text kNoResults("<html><body><div class=\"nors\"><p>抱歉没有找到与</p></div></body></html>");
const Text kOneUnrelated(
    ("<html><body>" + Block("http://b/1", "无关的内容和别的东西") + "</body></html>").c_str());

struct FakeEngine : SearchBrowser, PageDocument, PageWait {
    std::function<Page(const Text& address)> serve;
    std::vector<Text> navigations;
    std::vector<std::string> events;  // order of the calls the run makes
    Page page;
    int stepsOnPage = 0;
    int steps = 0;
    int stopAtStep = -1;
    std::uint32_t bound = 0;

    void Navigate(const Text& address) override {
        events.push_back("navigate");
        navigations.push_back(address);
        page = serve(address);
        if (page.finalAddress.IsEmpty()) page.finalAddress = address;
        stepsOnPage = 0;
    }
    bool IsComplete() const override {
        return page.stepsToComplete >= 0 && stepsOnPage >= page.stepsToComplete;
    }
    bool LastLoadSucceeded() const override { return page.succeeded; }
    Text CurrentAddress() const override { return page.finalAddress; }
    std::uint32_t WindowHandle() const override { return 42; }
    bool Bind(std::uint32_t handle) override {
        events.push_back("bind");
        bound = handle;
        return true;
    }
    Text GetOuterHtml() override {
        events.push_back("html");
        return bound == 42 ? page.html : Text();
    }
    bool Step() override {
        ++steps;
        ++stepsOnPage;
        if (steps == stopAtStep) return false;
        events.push_back("wait");
        return true;
    }
};

struct CheckRunFixture {
    Rows list;
    FakeLabel count, originality, similar;
    FakeEngine engine;
    CheckRunOutcome outcome{};
    explicit CheckRunFixture(std::function<Page(const Text&)> serve) {
        engine.serve = std::move(serve);
    }
    CheckRunOutcome Go(const Text& article) {
        outcome =
            RunCheck(article, kHost, {list, count, originality, similar, engine, engine, engine});
        return outcome;
    }
    Text Cell(int r, int c) const { return list.rows.at(r).at(c); }
};

Text Repeat(const char* character, int times) {
    Text t;
    for (int i = 0; i < times; ++i) t += character;
    return t;
}

TEST(CheckRun, EightyCharactersGiveThreeRowsSearchedInOrder) {
    CheckRunFixture run([](const Text&) { return Page(kNoResults); });
    const Text article = Repeat("甲", 30) + " \r\n" + Repeat("乙", 30) + "\r\n" + Repeat("丙", 20);
    EXPECT_EQ(run.Go(article), CheckRunOutcome::Finished);

    ASSERT_EQ(run.list.RowCount(), 3);
    const Text segments[] = {Repeat("甲", 30) + Repeat("乙", 6),
                             Repeat("乙", 24) + Repeat("丙", 12), Repeat("丙", 8)};
    ASSERT_EQ(run.engine.navigations.size(), 3u);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(run.Cell(r, kColumnNumber), common::Text(std::to_string(r + 1)));
        EXPECT_EQ(run.Cell(r, kColumnSegment), segments[r]);
        const Text address = Text("https://127.0.0.1:9/s?wd=") + PercentEncode(segments[r]);
        EXPECT_EQ(run.engine.navigations[r], address);
        EXPECT_EQ(run.Cell(r, kColumnRedCount), Text("0"));
        EXPECT_EQ(run.Cell(r, kColumnSimilarUrls), Text(""));
        EXPECT_EQ(run.Cell(r, kColumnComparison), address);
    }
    EXPECT_EQ(run.list.selected, 2);
    EXPECT_EQ(run.list.scrolled, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(run.count.text, Text("分段数量：3"));
    EXPECT_EQ(run.originality.text, Text("文章原创度：100%"));
    EXPECT_EQ(run.similar.text, Text("该文章在网络上有：0篇相似文章"));
    // Per segment: at least one wait, then bind, then the HTML.
    const std::vector<std::string> perSegment = {"navigate", "wait", "bind", "html"};
    std::vector<std::string> expected;
    for (int i = 0; i < 3; ++i)
        expected.insert(expected.end(), perSegment.begin(), perSegment.end());
    EXPECT_EQ(run.engine.events, expected);
}

TEST(CheckRun, SimilarPagesAreWrittenInPageOrderAndSummarised) {
    CheckRunFixture run([](const Text& a) {
        return common::Contains(a, PercentEncode("甲")) ? Page(kTwoSimilar, true, 3)
                                                        : Page(kOneUnrelated);
    });
    EXPECT_EQ(run.Go(Repeat("甲", 36) + Repeat("乙", 36)), CheckRunOutcome::Finished);
    EXPECT_EQ(run.Cell(0, kColumnRedCount), Text("2"));
    EXPECT_EQ(run.Cell(0, kColumnSimilarUrls), Text("http://a/1\r\nhttp://a/2\r\n"));
    EXPECT_EQ(run.Cell(1, kColumnRedCount), Text("0"));
    EXPECT_EQ(run.Cell(1, kColumnSimilarUrls), Text(""));
    EXPECT_EQ(run.engine.steps, 3 + 1);
    EXPECT_EQ(run.originality.text, Text("文章原创度：50%"));
    EXPECT_EQ(run.similar.text, Text("该文章在网络上有：2篇相似文章"));
}

TEST(CheckRun, LabelsAreEmptyWhileTheRunSearches) {
    CheckRunFixture run([](const Text&) { return Page(kNoResults); });
    std::vector<Text> seen;
    run.engine.serve = [&](const Text&) {
        seen.push_back(run.count.text + "|" + run.originality.text + "|" + run.similar.text);
        return Page(kNoResults);
    };
    run.originality.text = "old";
    run.similar.text = "old";
    run.Go(Repeat("甲", 40));
    EXPECT_EQ(seen, (std::vector<Text>{"分段数量：2||", "分段数量：2||"}));
}

// Pages that were not read are never counted as original.
TEST(CheckRun, UnreadPagesAreReportedAsFailedNotOriginal) {
    const Text robot = "https://127.0.0.1:9/robot-check";
    struct Case {
        const char* name;
        Page page;
    } cases[] = {
        {"navigation error or error status", Page(kNoResults, false)},
        {"never completes", Page(kNoResults, true, -1)},
        {"redirected off the result pages", Page(kNoResults, true, 1, robot)},
        {"another host", Page(kNoResults, true, 1, "https://evil.example/s?wd=x")},
        {"a lookalike path", Page(kNoResults, true, 1, "https://127.0.0.1:9/sx?wd=x")},
        {"unknown layout", Page("<html><body><div>其他布局</div></body></html>")},
        {"empty document", Page("")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CheckRunFixture run([&](const Text&) { return c.page; });
        EXPECT_EQ(run.Go(Repeat("甲", 10)), CheckRunOutcome::Finished);
        EXPECT_EQ(run.Cell(0, kColumnRedCount), Text("检索失败"));
        EXPECT_EQ(run.Cell(0, kColumnSimilarUrls), Text(""));
        EXPECT_EQ(run.originality.text, Text("文章原创度：0%"));
        EXPECT_EQ(run.similar.text, Text("该文章在网络上有：0篇相似文章"));
        EXPECT_EQ(run.list.selected, 0);
    }
}

TEST(CheckRun, APageThatNeverCompletesIsGivenUpAfterThirtySecondsAndTheRunGoesOn) {
    CheckRunFixture run([](const Text& a) {
        return common::Contains(a, PercentEncode("甲")) ? Page(kNoResults, true, -1)
                                                        : Page(kNoResults, true, 2);
    });
    run.Go(Repeat("甲", 36) + Repeat("乙", 5));
    EXPECT_EQ(run.engine.steps, kMaxWaitSteps + 2);
    EXPECT_EQ(kMaxWaitSteps, 300);  // 300 steps of 100 ms
    EXPECT_EQ(run.Cell(0, kColumnRedCount), Text("检索失败"));
    EXPECT_EQ(run.Cell(1, kColumnRedCount), Text("0"));
    EXPECT_EQ(run.originality.text, Text("文章原创度：50%"));
}

TEST(CheckRun, AStoppedWaitEndsTheRunAtOnceWithoutSummary) {
    CheckRunFixture run([](const Text&) { return Page(kNoResults, true, 2); });
    run.engine.stopAtStep = 3;  // during the second segment's wait
    EXPECT_EQ(run.Go(Repeat("甲", 80)), CheckRunOutcome::Stopped);
    EXPECT_EQ(run.engine.navigations.size(), 2u);
    EXPECT_EQ(run.Cell(0, kColumnRedCount), Text("0"));
    EXPECT_EQ(run.Cell(1, kColumnRedCount), Text(""));
    EXPECT_EQ(run.Cell(1, kColumnComparison), Text(""));
    EXPECT_EQ(run.originality.text, Text(""));
    EXPECT_EQ(run.engine.events.back(), "navigate");
}

TEST(CheckRun, ASecondRunStartsFromAnEmptyListAndAnEmptyArticleNavigatesNowhere) {
    CheckRunFixture run([](const Text&) { return Page(kTwoSimilar); });
    run.Go(Repeat("甲", 80));
    ASSERT_EQ(run.list.RowCount(), 3);
    run.engine.serve = [](const Text&) { return Page(kNoResults); };
    run.Go(Repeat("乙", 10));
    ASSERT_EQ(run.list.RowCount(), 1);
    EXPECT_EQ(run.Cell(0, kColumnSimilarUrls), Text(""));
    EXPECT_EQ(run.similar.text, Text("该文章在网络上有：0篇相似文章"));

    run.engine.navigations.clear();
    run.Go(" \r\n\r\n　 ");
    EXPECT_EQ(run.list.RowCount(), 0);
    EXPECT_TRUE(run.engine.navigations.empty());
    EXPECT_EQ(run.count.text, Text("分段数量：0"));
}

}  // namespace
}  // namespace tallowin::check
