#pragma once
// Access to the HTML of the page an embedded browser shows. The browser is
// known only by its window handle: the document is found by walking the
// window tree below it to the rendering window and asking that window for
// its document object.

#include <cstdint>

#include "common/Text.h"
#include "platform/Automation.h"

namespace tallowin::support {

// Class name of the browser's rendering window.
inline constexpr const char* kBrowserServerClass = "Internet Explorer_Server";

class BrowserDocument {
public:
    // Each object initialises automation for the thread and undoes it when destroyed.
    BrowserDocument();
    ~BrowserDocument();
    // A copy has the same window and a second reference to the same document.
    BrowserDocument(const BrowserDocument& other);
    BrowserDocument& operator=(const BrowserDocument& other);

    // Fetches the document of the browser at windowHandle (the browser's own
    // window or any window above its rendering window). A handle that is not
    // a window changes nothing; otherwise the document held afterwards is the
    // new one, or none when it cannot be had (a stale page is never kept as
    // if it were the new one). True when a document is held afterwards.
    bool Bind(std::uint32_t windowHandle);
    platform::AutomationObject GetDocument() const;
    void ClearDocument();
    // Depth first, each window before its children, siblings top first;
    // dispatches waiting messages between siblings. 0 when there is none.
    std::uint32_t FindBrowserServerWindow(std::uint32_t parent);
    // Asks the rendering window at or below `window` for its document, which
    // replaces `document` when a rendering window is found.
    bool DocumentFromWindow(std::uint32_t window, platform::AutomationObject& document);
    // The HTML of the whole held document in code page 936 (characters GBK
    // lacks as "?"); "" when none is held.
    common::Text GetOuterHtml() const;

    // The window given to the last Bind that passed the window test (0 at first).
    std::uint32_t Window() const { return window_; }

private:
    platform::AutomationObject document_;
    std::uint32_t window_ = 0;
};

// The class name of a window as read through a 50-byte buffer: at most 49
// characters; "" for a handle that is not a window.
common::Text GetWindowClassName(std::uint32_t window);

}  // namespace tallowin::support
