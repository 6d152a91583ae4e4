#include "check/CheckRun.h"

#include "check/QueryEncoding.h"
#include "check/ResultPageAnalysis.h"
#include "check/Segmentation.h"
#include "check/Summary.h"
#include "common/TextOps.h"

namespace tallowin::check {

namespace {

enum class PageWaitResult { Complete, TimedOut, Stopped };

PageWaitResult WaitForPage(SearchBrowser& browser, PageWait& wait) {
    // The first step always happens: right after Navigate the old page may
    // still read as complete.
    for (int step = 0; step < kMaxWaitSteps; ++step) {
        if (!wait.Step()) {
            return PageWaitResult::Stopped;
        }
        if (browser.IsComplete()) {
            return PageWaitResult::Complete;
        }
    }
    return PageWaitResult::TimedOut;
}

// The page is one of the engine's result pages, not a robot check or another
// page a redirect led to.
bool IsResultPageAddress(const Text& address, const Text& searchHost) {
    const Text base = "https://" + searchHost + "/s";
    return address == base || common::Left(address, base.Length() + 1) == base + "?";
}

}  // namespace

CheckRunOutcome RunCheck(const Text& article, const Text& searchHost, CheckRunTargets t) {
    TextArray segments;
    SegmentArticle(article, segments);
    const int n = static_cast<int>(segments.size());

    t.segmentCount.SetCaption("分段数量：" + common::NumberText(n));
    t.originality.SetCaption("");
    t.similar.SetCaption("");
    t.list.DeleteAllRows();
    for (int i = 0; i < n; ++i) {
        const int row = t.list.AppendRow();
        t.list.SetCellText(row, kColumnNumber, common::NumberText(i + 1));
        t.list.SetCellText(row, kColumnSegment, segments[i]);
    }

    for (int r = 0; r < n; ++r) {
        t.browser.Navigate("https://" + searchHost + "/s?wd=" + PercentEncode(segments[r]));
        const PageWaitResult waited = WaitForPage(t.browser, t.wait);
        if (waited == PageWaitResult::Stopped) {
            return CheckRunOutcome::Stopped;
        }
        t.document.Bind(t.browser.WindowHandle());
        const Text html = t.document.GetOuterHtml();
        int count = 0;
        int blocks = 0;
        TextArray urls;
        AnalyseResultPage(SimilarityThreshold, html, count, urls, &blocks);
        const Text address = t.browser.CurrentAddress();

        // A page that was not read must not pass for an original segment.
        const bool read = waited == PageWaitResult::Complete && t.browser.LastLoadSucceeded() &&
                          IsResultPageAddress(address, searchHost) &&
                          (blocks > 0 || common::Contains(html, kNoResultsNotice));
        if (read) {
            t.list.SetCellText(r, kColumnRedCount, common::NumberText(count));
            for (const Text& url : urls) {
                t.list.SetCellText(r, kColumnSimilarUrls,
                                   t.list.CellText(r, kColumnSimilarUrls) + url + "\r\n");
            }
        } else {
            t.list.SetCellText(r, kColumnRedCount, kSearchFailed);
        }
        t.list.SetCellText(r, kColumnComparison, address);
        t.list.SetCurrentSelection(r);
        t.list.ScrollIntoView(r);
    }

    ComputeSummary(t.list, t.originality, t.similar);
    return CheckRunOutcome::Finished;
}

}  // namespace tallowin::check
