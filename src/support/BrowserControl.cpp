#include "support/BrowserControl.h"

#include <QAuthenticator>
#include <QTimer>
#include <QUrl>
#include <QWebEngineCertificateError>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QWidget>
#include <functional>
#include <utility>

#include "platform/QtText.h"
#include "platform/Windows.h"

namespace tallowin::support {

namespace gui = platform_gui;

namespace {

// The page's document as the rendering window hands it out: the DOM as it
// was serialised when the page completed.
class HtmlElement : public platform::Dispatch {
public:
    explicit HtmlElement(std::shared_ptr<const std::u16string> outerHtml)
        : outerHtml_(std::move(outerHtml)) {}

    std::optional<platform::Variant> GetProperty(std::string_view name,
                                                 std::span<const platform::Variant> args) override {
        if (!args.empty()) return std::nullopt;
        if (name == "outerHTML") return platform::Variant(*outerHtml_);
        return std::nullopt;
    }

private:
    std::shared_ptr<const std::u16string> outerHtml_;
};

class HtmlDocument : public platform::Dispatch {
public:
    // Without a serialisation the document has no root element.
    explicit HtmlDocument(std::optional<std::u16string> outerHtml) {
        if (outerHtml) outerHtml_ = std::make_shared<const std::u16string>(std::move(*outerHtml));
    }

    std::optional<platform::Variant> GetProperty(std::string_view name,
                                                 std::span<const platform::Variant> args) override {
        if (!args.empty()) return std::nullopt;
        if (name == "documentElement") {
            if (!outerHtml_) return platform::Variant();
            return platform::Variant(
                platform::AutomationObject(std::make_shared<HtmlElement>(outerHtml_)));
        }
        return std::nullopt;
    }

private:
    std::shared_ptr<const std::u16string> outerHtml_;
};

const char* const kLoadingStatus = "正在打开网页 ";
const char* const kDoneStatus = "完成";

// Addresses the engine would silently drop, leaving the ready state waiting forever.
bool CanNavigate(const QUrl& url) {
    if (!url.isValid()) return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == u"javascript") return false;
    if ((scheme == u"http" || scheme == u"https") && url.host().isEmpty()) return false;
    return true;
}

}  // namespace

// A page that never shows a dialog: script dialogs are answered as if
// dismissed, file choosers get nothing, console output is dropped.
class SilentPage : public QWebEnginePage {
public:
    SilentPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {}

    // Called for each top-level navigation the control asked for.
    std::function<void()> onTypedNavigation;

protected:
    bool acceptNavigationRequest(const QUrl&, NavigationType type, bool isMainFrame) override {
        if (isMainFrame && type == NavigationTypeTyped && onTypedNavigation) onTypedNavigation();
        return true;
    }
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override {
        return false;
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                  const QString&) override {}
    QStringList chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) override {
        return {};
    }
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
};

BrowserControl::BrowserControl(QWidget* parent, const common::Text& initialAddress)
    : QObject(parent) {
    // Off the record: no cookie, cache or history outlives the control.
    profile_ = new QWebEngineProfile(this);
    connect(profile_, &QWebEngineProfile::downloadRequested, this,
            [](QWebEngineDownloadRequest* download) { download->cancel(); });

    page_ = new SilentPage(profile_, this);
    page_->onTypedNavigation = [this] { OnTypedNavigation(); };
    page_->setZoomFactor(1.0);
    connect(page_, &QWebEnginePage::loadingChanged, this, &BrowserControl::OnLoadingChanged);
    connect(page_, &QWebEnginePage::linkHovered, this, &BrowserControl::OnLinkHovered);
    connect(page_, &QWebEnginePage::certificateError, this,
            [](QWebEngineCertificateError error) { error.rejectCertificate(); });
    // An authenticator left untouched cancels the request.
    connect(page_, &QWebEnginePage::authenticationRequired, this,
            [](const QUrl&, QAuthenticator*) {});
    connect(page_, &QWebEnginePage::proxyAuthenticationRequired, this,
            [](const QUrl&, QAuthenticator*, const QString&) {});
    connect(page_, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl& origin, QWebEnginePage::Feature feature) {
                page_->setFeaturePermission(origin, feature,
                                            QWebEnginePage::PermissionDeniedByUser);
            });
    connect(page_, &QWebEnginePage::fullScreenRequested, this,
            [](QWebEngineFullScreenRequest request) { request.reject(); });
    connect(page_, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus, int) {
                // No document will come from a dead renderer; do not leave the page waiting.
                if (phase_ == Phase::Loading || phase_ == Phase::Finishing) {
                    Complete(load_, false, std::nullopt);
                }
            });

    view_ = new QWebEngineView(parent);
    view_->setPage(page_);

    RegisterWindows();
    Navigate(initialAddress);
}

BrowserControl::~BrowserControl() {
    gui::DestroyWindow(window_);
    document_.Release();
    // The page must go before its profile, and the view must not outlive its page.
    delete view_.data();
    delete page_;
    delete profile_;
}

void BrowserControl::RegisterWindows() {
    window_ = gui::CreateWindow("Shell Embedding", 0, {}, this);
    viewWindow_ = gui::CreateWindow("Shell DocObject View", window_);
    const std::uint32_t getObject = gui::RegisterWindowMessage("WM_HTML_GETOBJECT");
    serverWindow_ = gui::CreateWindow(
        "Internet Explorer_Server", viewWindow_,
        [this, getObject](std::uint32_t message, std::uintptr_t,
                          std::intptr_t) -> std::optional<std::intptr_t> {
            if (message != getObject || phase_ != Phase::Complete || document_.IsEmpty()) {
                return std::nullopt;
            }
            return gui::ResultFromObject(gui::kIidHtmlDocument, document_);
        });
}

QWidget* BrowserControl::Widget() const { return view_.data(); }

void BrowserControl::SetAddress(const common::Text& url) { Navigate(url); }

void BrowserControl::Navigate(const common::Text& address) {
    const QUrl url = address.IsEmpty() ? QUrl(QStringLiteral("about:blank"))
                                       : QUrl::fromUserInput(gui::ToQString(address));
    ++load_;
    phase_ = Phase::Awaiting;
    succeeded_ = false;
    document_.Release();
    requested_ = url;
    loadStatus_ = common::Text(kLoadingStatus) + address + "...";
    if (hovered_.IsEmpty()) SetStatus(loadStatus_);

    if (!CanNavigate(url)) {
        // Nothing will load; end as a failed navigation once the caller is back in the loop.
        wasLoading_ = false;
        QTimer::singleShot(0, this, [this, load = load_] { Complete(load, false, std::nullopt); });
        return;
    }
    wasLoading_ = page_->isLoading();
    page_->load(url);
}

void BrowserControl::OnTypedNavigation() {
    if (phase_ == Phase::Awaiting) phase_ = Phase::Requested;
}

void BrowserControl::OnLoadingChanged(const QWebEngineLoadingInfo& info) {
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        if (phase_ == Phase::Finishing || phase_ == Phase::Complete) {
            // The page moved on by itself (a script, a refresh): a new load of this control.
            ++load_;
            succeeded_ = false;
            document_.Release();
            loadStatus_ = common::Text(kLoadingStatus) +
                          gui::FromQString(info.url().toString(QUrl::FullyEncoded)) + "...";
            if (hovered_.IsEmpty()) SetStatus(loadStatus_);
        }
        phase_ = Phase::Loading;
        return;
    }

    switch (phase_) {
        case Phase::Awaiting:
            // The engine reports one load from start to end however often the
            // address changes meanwhile: a load under way when the address was
            // set ends with the new page. Any other end is the page before's.
            if (!wasLoading_ || info.url().adjusted(QUrl::StripTrailingSlash) !=
                                    requested_.adjusted(QUrl::StripTrailingSlash)) {
                return;
            }
            break;
        case Phase::Requested:
        case Phase::Loading:
            break;
        case Phase::Finishing:
        case Phase::Complete:
            return;
    }
    phase_ = Phase::Finishing;

    const bool httpError = info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain &&
                           info.errorCode() >= 400;
    const bool succeeded = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus &&
                           !info.isErrorPage() && !httpError;
    const std::uint64_t load = load_;
    page_->runJavaScript(
        QStringLiteral("document.documentElement ? document.documentElement.outerHTML : null"),
        QWebEngineScript::ApplicationWorld, [this, load, succeeded](const QVariant& result) {
            std::optional<std::u16string> html;
            if (result.typeId() == QMetaType::QString) {
                const QString text = result.toString();
                html = std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                                      static_cast<std::size_t>(text.size()));
            }
            Complete(load, succeeded, std::move(html));
        });
}

void BrowserControl::Complete(std::uint64_t load, bool succeeded,
                              std::optional<std::u16string> outerHtml) {
    if (load != load_ || phase_ == Phase::Complete) return;
    phase_ = Phase::Complete;
    document_ = platform::AutomationObject(std::make_shared<HtmlDocument>(std::move(outerHtml)));
    succeeded_ = succeeded;
    loadStatus_ = kDoneStatus;
    if (hovered_.IsEmpty()) SetStatus(loadStatus_);
}

void BrowserControl::OnLinkHovered(const QString& url) {
    hovered_ = gui::FromQString(url);
    SetStatus(hovered_.IsEmpty() ? loadStatus_ : hovered_);
}

void BrowserControl::SetStatus(const common::Text& text) {
    if (text == status_) return;
    status_ = text;
    emit StatusTextChanged();
}

bool BrowserControl::IsComplete() const { return phase_ == Phase::Complete; }

bool BrowserControl::LastLoadSucceeded() const { return phase_ == Phase::Complete && succeeded_; }

common::Text BrowserControl::CurrentAddress() const {
    return gui::FromQString(page_->url().toString(QUrl::FullyEncoded));
}

common::Text BrowserControl::StatusText() const { return status_; }

std::uint32_t BrowserControl::WindowHandle() const { return window_; }

void BrowserControl::MoveAndSize(int left, int top, int width, int height) {
    if (view_) view_->setGeometry(left, top, width, height);
}

}  // namespace tallowin::support
