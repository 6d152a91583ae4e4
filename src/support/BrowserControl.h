#pragma once
// The embedded web browser: a Qt WebEngine view behind the few operations the
// windows and the check run rely on (navigate, ready state, address, status
// text, window handle, geometry). It is silent (no page dialog reaches the
// user), keeps nothing between runs, and places a small window tree under its
// own window handle whose rendering window answers "WM_HTML_GETOBJECT" with
// the document of the completed page.

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/Text.h"
#include "platform/Automation.h"

class QWidget;
class QWebEngineView;
class QWebEngineProfile;
class QWebEngineLoadingInfo;

namespace tallowin::support {

class SilentPage;

class BrowserControl : public QObject {
    Q_OBJECT

public:
    // Starts loading initialAddress at once ("about:blank" when empty).
    explicit BrowserControl(QWidget* parent, const common::Text& initialAddress);
    ~BrowserControl() override;

    BrowserControl(const BrowserControl&) = delete;
    BrowserControl& operator=(const BrowserControl&) = delete;

    // The view to place in a layout or window.
    QWidget* Widget() const;
    // Starts navigating to url and returns at once.
    void SetAddress(const common::Text& url);
    // True only once the page last navigated to (or its error page) has loaded
    // and its document has been taken.
    bool IsComplete() const;
    // The completed page loaded without a navigation error and without an HTTP
    // error status (400 or above).
    bool LastLoadSucceeded() const;
    // The address of the page shown.
    common::Text CurrentAddress() const;
    common::Text StatusText() const;
    // Handle of the control's window in our window registry.
    std::uint32_t WindowHandle() const;
    void MoveAndSize(int left, int top, int width, int height);

signals:
    void StatusTextChanged();

private:
    // Where the last navigation stands.
    enum class Phase {
        Awaiting,   // address set, the engine has not taken it up yet
        Requested,  // the engine took it up
        Loading,    // the engine reported the start of the load
        Finishing,  // loading ended; the document is being taken
        Complete,
    };

    void Navigate(const common::Text& address);
    void OnTypedNavigation();
    void OnLoadingChanged(const QWebEngineLoadingInfo& info);
    void OnLinkHovered(const QString& url);
    void Complete(std::uint64_t load, bool succeeded, std::optional<std::u16string> outerHtml);
    void SetStatus(const common::Text& text);
    void RegisterWindows();

    QWebEngineProfile* profile_ = nullptr;
    SilentPage* page_ = nullptr;
    QPointer<QWebEngineView> view_;

    Phase phase_ = Phase::Awaiting;
    std::uint64_t load_ = 0;   // counts loads; a late answer for an older one is ignored
    bool wasLoading_ = false;  // a load was under way when the address was set
    bool succeeded_ = false;
    QUrl requested_;
    common::Text status_;      // status text shown
    common::Text loadStatus_;  // status text of the load, shown again when no link is hovered
    common::Text hovered_;     // address of the link under the mouse
    platform::AutomationObject document_;

    std::uint32_t window_ = 0;
    std::uint32_t viewWindow_ = 0;
    std::uint32_t serverWindow_ = 0;
};

}  // namespace tallowin::support
