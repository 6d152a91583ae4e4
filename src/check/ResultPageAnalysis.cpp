#include "check/ResultPageAnalysis.h"

#include "common/TextOps.h"
#include "platform/Automation.h"
#include "support/RegexObject.h"

namespace tallowin::check {

namespace {

// Each analysis call holds automation for the thread for its own duration.
class AutomationScope {
public:
    AutomationScope() { platform::InitializeAutomation(); }
    ~AutomationScope() { platform::UninitializeAutomation(); }
    AutomationScope(const AutomationScope&) = delete;
    AutomationScope& operator=(const AutomationScope&) = delete;
};

// Removed in this order; "&gt;" after "-" and the rest, so "&-gt;" loses both.
constexpr const char* kRemovedMarks[] = {
    "，", "。", "！", "；", "、", "？", "'",    "{", "【", "】",
    "|",  ".",  ",",  "!",  "?",  "-",  "&gt;", "/", "\\", ":",
};

// Difference beyond which one real number counts as greater than another.
constexpr double kGreaterMargin = 0.0000001;

}  // namespace

Text NormaliseForCount(const Text& text) {
    Text result = common::RemoveAllBlanks(text);
    for (const char* mark : kRemovedMarks) {
        result = common::ReplaceAll(result, mark, "");
    }
    return result;
}

void SplitHighlighted(const Text& text, Text& red, Text& rest) {
    const AutomationScope automation;
    red = Text();
    rest = Text();
    support::RegexObject highlight;
    highlight.Create(HighlightPattern, text);
    Text joined;
    const int matches = highlight.MatchCount();
    for (int i = 1; i <= matches; ++i) joined += highlight.SubMatchText(i, 1);
    red = NormaliseForCount(joined);
    rest = NormaliseForCount(highlight.Replace(""));
}

bool AnalyseResultPage(float threshold, const Text& html, int& count, TextArray& urls,
                       int* blockCount) {
    const AutomationScope automation;
    support::RegexObject blocks;
    support::RegexObject spans;
    urls.clear();
    count = 0;
    blocks.Create(ResultBlockPattern, html, std::nullopt, std::nullopt, std::nullopt, true);
    const int blockTotal = blocks.MatchCount();
    if (blockCount != nullptr) *blockCount = blockTotal;
    // The single-precision threshold widened as it stands: 0.6f is 0.6000000238418579,
    // so a ratio of exactly 0.6 does not count.
    const double limit = static_cast<double>(threshold);
    for (int i = 1; i <= blockTotal; ++i) {
        const Text address = blocks.SubMatchText(i, 1);
        const Text title = blocks.SubMatchText(i, 2);
        spans.Create(SpanPattern, blocks.SubMatchText(i, 3));
        const Text abstract = spans.Replace("");
        Text titleRed, titleRest, abstractRed, abstractRest;
        SplitHighlighted(title, titleRed, titleRest);
        SplitHighlighted(abstract, abstractRed, abstractRest);
        const double red = titleRed.Length() + abstractRed.Length();
        const double rest = titleRest.Length() + abstractRest.Length();
        // Nothing but highlight gives infinity and counts; nothing at all gives
        // NaN, for which the comparison is false.
        const double ratio = red / rest;
        if (ratio - limit > kGreaterMargin) {
            ++count;
            urls.push_back(address);
        }
    }
    return true;
}

}  // namespace tallowin::check
