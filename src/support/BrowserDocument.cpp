#include "support/BrowserDocument.h"

#include "platform/Messages.h"
#include "platform/Windows.h"
#include "support/CodePages.h"

namespace tallowin::support {

namespace gui = platform_gui;

namespace {

constexpr unsigned kDocumentTimeoutMs = 1000;

}  // namespace

BrowserDocument::BrowserDocument() { platform::InitializeAutomation(); }

BrowserDocument::~BrowserDocument() {
    // The document goes before the automation it belongs to.
    document_.Release();
    platform::UninitializeAutomation();
}

BrowserDocument::BrowserDocument(const BrowserDocument& other)
    : document_(other.document_), window_(other.window_) {
    platform::InitializeAutomation();
}

BrowserDocument& BrowserDocument::operator=(const BrowserDocument& other) {
    document_ = other.document_;
    window_ = other.window_;
    return *this;
}

bool BrowserDocument::Bind(std::uint32_t windowHandle) {
    if (!gui::IsWindow(windowHandle)) return false;
    window_ = windowHandle;
    if (!DocumentFromWindow(window_, document_)) ClearDocument();
    return !document_.IsEmpty();
}

platform::AutomationObject BrowserDocument::GetDocument() const { return document_; }

void BrowserDocument::ClearDocument() { document_.Release(); }

std::uint32_t BrowserDocument::FindBrowserServerWindow(std::uint32_t parent) {
    std::uint32_t child = gui::FindChildWindow(parent, 0);
    while (static_cast<std::int32_t>(child) > 0) {
        if (GetWindowClassName(child) == kBrowserServerClass) return child;
        if (const std::uint32_t found = FindBrowserServerWindow(child); found != 0) return found;
        child = gui::FindChildWindow(parent, child);
        gui::ProcessPendingMessages();
    }
    return 0;
}

bool BrowserDocument::DocumentFromWindow(std::uint32_t window,
                                         platform::AutomationObject& document) {
    if (GetWindowClassName(window) != kBrowserServerClass) {
        window = FindBrowserServerWindow(window);
        if (window == 0) return false;
    }
    const std::uint32_t message = gui::RegisterWindowMessage("WM_HTML_GETOBJECT");
    std::intptr_t result = 0;
    gui::SendMessageTimeout(window, message, 0, 0, kDocumentTimeoutMs, &result);
    document = gui::ObjectFromResult(result, gui::kIidHtmlDocument);
    return !document.IsEmpty();
}

common::Text BrowserDocument::GetOuterHtml() const {
    platform::AutomationObject element = document_.Get("documentElement").AsObject();
    const std::u16string html = element.Get("outerHTML").AsWide();
    element.Release();
    common::Bytes wide;
    wide.reserve(html.size() * 2);
    for (const char16_t unit : html) {
        wide.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        wide.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return WideBufferToGbk(wide);
}

common::Text GetWindowClassName(std::uint32_t window) {
    char buffer[50];
    gui::GetClassNameInto(window, buffer, sizeof buffer);
    return common::Text(buffer);
}

}  // namespace tallowin::support
