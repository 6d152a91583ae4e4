#pragma once
// The check run: segments the article, builds one row per segment, searches
// each segment in the hidden search browser and writes what the result page
// shows into its row, then the summary. No Qt: the browser, the page document
// and the wait reach it through the small interfaces below.

#include <cstdint>

#include "check/ResultList.h"
#include "common/Text.h"

namespace tallowin::check {

// The browser the run drives.
class SearchBrowser {
public:
    virtual ~SearchBrowser() = default;
    // Starts loading the address and returns at once.
    virtual void Navigate(const Text& address) = 0;
    // True once the page last navigated to has loaded (or failed to).
    virtual bool IsComplete() const = 0;
    // No navigation error and no HTTP error status on the completed page.
    virtual bool LastLoadSucceeded() const = 0;
    virtual Text CurrentAddress() const = 0;
    virtual std::uint32_t WindowHandle() const = 0;
};

// The document of the page shown in a browser window.
class PageDocument {
public:
    virtual ~PageDocument() = default;
    virtual bool Bind(std::uint32_t windowHandle) = 0;
    virtual Text GetOuterHtml() = 0;
};

// One 100 ms step of the page wait, serving the GUI meanwhile. False when the
// run must stop (the user reset the window).
class PageWait {
public:
    virtual ~PageWait() = default;
    virtual bool Step() = 0;
};

struct CheckRunTargets {
    ResultList& list;
    Label& segmentCount;
    Label& originality;
    Label& similar;
    SearchBrowser& browser;
    PageDocument& document;
    PageWait& wait;
};

// A page that is not complete after this many steps (30 seconds) is given up.
inline constexpr int kMaxWaitSteps = 300;
// Column 3 of a segment whose result page could not be read.
inline constexpr const char* kSearchFailed = "检索失败";
// The engine's notice on a page without any result.
inline constexpr const char* kNoResultsNotice = "抱歉没有找到";

enum class CheckRunOutcome { Finished, Stopped };

// searchHost: host (and port) of "https://<host>/s?wd=<query>".
CheckRunOutcome RunCheck(const Text& article, const Text& searchHost, CheckRunTargets targets);

}  // namespace tallowin::check
