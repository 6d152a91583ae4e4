#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "check/Summary.h"
#include "common/TextOps.h"

namespace tallowin::check {
namespace {

class PlainResultList : public ResultList {
public:
    std::vector<std::array<Text, kResultColumns>> rows;

    void AddRow(const Text& urls, const Text& redCount) {
        std::array<Text, kResultColumns> row;
        row[kColumnSimilarUrls] = urls;
        row[kColumnNumber] = common::NumberText(static_cast<int>(rows.size()) + 1);
        row[kColumnRedCount] = redCount;
        rows.push_back(row);
    }
    int RowCount() const override { return static_cast<int>(rows.size()); }
    Text CellText(int row, int column) const override { return rows.at(row).at(column); }
    void SetCellText(int row, int column, const Text& text) override {
        rows.at(row).at(column) = text;
    }
    int AppendRow() override {
        rows.emplace_back();
        return RowCount() - 1;
    }
    void DeleteAllRows() override { rows.clear(); }
    int CurrentSelection() const override { return -1; }
    void SetCurrentSelection(int) override {}
    void ScrollIntoView(int) override {}
};

class PlainLabel : public Label {
public:
    Text caption = "unchanged";
    Text Caption() const override { return caption; }
    void SetCaption(const Text& text) override { caption = text; }
};

TEST(ComputeSummary, OriginalityIsTheShareOfRowsWithoutSimilarPages) {
    struct Case {
        int rows;
        int flagged;
        const char* expected;
    };
    const Case cases[] = {
        {3, 1, "文章原创度：67%"},    {3, 2, "文章原创度：34%"},
        {100, 29, "文章原创度：71%"},  // 28.999999999999996 counts as 29
        {100, 7, "文章原创度：93%"},   // 7.000000000000001 stays 7
        {100, 57, "文章原创度：43%"},  // 56.99999999999999 counts as 57
        {7, 0, "文章原创度：100%"},   {7, 7, "文章原创度：0%"},
        {1, 1, "文章原创度：0%"},
    };
    for (const auto& c : cases) {
        PlainResultList list;
        for (int i = 0; i < c.rows; ++i) {
            list.AddRow("", i < c.flagged ? "1" : "0");
        }
        PlainLabel originality, similar;
        ComputeSummary(list, originality, similar);
        EXPECT_EQ(originality.caption, Text(c.expected)) << c.flagged << " of " << c.rows;
    }
}

TEST(ComputeSummary, AnyRedCountOtherThanZeroFlagsTheRow) {
    PlainResultList list;
    list.AddRow("", "");    // not searched: differs from "0"
    list.AddRow("", "00");  // compared as text
    list.AddRow("", "0");
    list.AddRow("", "0");
    PlainLabel originality, similar;
    ComputeSummary(list, originality, similar);
    EXPECT_EQ(originality.caption, Text("文章原创度：50%"));
}

TEST(ComputeSummary, CountsEveryAddressEntry) {
    struct Case {
        std::vector<const char*> cells;
        const char* expected;
    };
    const Case cases[] = {
        {{"http://a\r\nhttp://b\r\n", "", "http://c\r\nhttp://d\r\nhttp://e\r\n"},
         "该文章在网络上有：5篇相似文章"},
        {{"http://a\r\n\r\nhttp://b\r\n"}, "该文章在网络上有：3篇相似文章"},  // empty URL counts
        {{"\r\n"}, "该文章在网络上有：1篇相似文章"},
        {{"http://a\r\nhttp://b"}, "该文章在网络上有：2篇相似文章"},    // last piece without CR LF
        {{"http://a\nhttp://b\r\n"}, "该文章在网络上有：1篇相似文章"},  // only CR LF separates
        {{"", ""}, "该文章在网络上有：0篇相似文章"},
    };
    for (const auto& c : cases) {
        PlainResultList list;
        for (const char* cell : c.cells) list.AddRow(cell, "1");
        PlainLabel originality, similar;
        ComputeSummary(list, originality, similar);
        EXPECT_EQ(similar.caption, Text(c.expected)) << "first cell \"" << c.cells[0] << "\"";
    }
}

TEST(ComputeSummary, EmptyListShowsZeroForBoth) {
    PlainResultList list;
    PlainLabel originality, similar;
    ComputeSummary(list, originality, similar);
    EXPECT_EQ(originality.caption, Text("文章原创度：0%"));
    EXPECT_EQ(similar.caption, Text("该文章在网络上有：0篇相似文章"));
}

}  // namespace
}  // namespace tallowin::check
