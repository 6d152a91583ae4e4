#include "check/Summary.h"

#include <cmath>

#include "common/TextOps.h"

namespace tallowin::check {

namespace {

// A share within this much below the next integer is taken as that integer:
// 29 of 100 rows is 28.999999999999996 in double precision and must read 29.
constexpr double kWholeMargin = 0.999999999999;

int WholePart(double x) {
    const double floor = std::floor(x);
    return static_cast<int>(x - floor > kWholeMargin ? floor + 1 : floor);
}

}  // namespace

void ComputeSummary(const ResultList& list, Label& originality, Label& similar) {
    const int rows = list.RowCount();
    int flagged = 0;
    int entries = 0;
    for (int row = 0; row < rows; ++row) {
        // Every CR LF ends one entry, an empty address included; a last piece
        // without CR LF counts when it is not empty.
        entries +=
            static_cast<int>(common::Split(list.CellText(row, kColumnSimilarUrls), "\r\n").size());
        if (list.CellText(row, kColumnRedCount) != Text("0")) ++flagged;
    }
    // Without rows there is no share; an article without segments has nothing
    // original to show, so it reads 0%.
    int percent = 0;
    if (rows > 0) {
        const double share = static_cast<double>(flagged) / rows * 100;
        percent = 100 - WholePart(share);
    }
    originality.SetCaption(Text("文章原创度：") + common::NumberText(percent) + "%");
    similar.SetCaption(Text("该文章在网络上有：") + common::NumberText(entries) + "篇相似文章");
}

}  // namespace tallowin::check
