#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "check/QueryEncoding.h"
#include "check/ResultPageAnalysis.h"
#include "common/TextOps.h"
#include "platform/Windows.h"
#include "support/BrowserControl.h"
#include "support/BrowserDocument.h"
#include "support/PacedWait.h"
#include "testing/ServerProcess.h"

namespace tallowin::support {
namespace {

using common::Text;

// The search stand-in, on a free port, for the whole binary.
struct Replica {
    test_servers::SearchReplica server;
    Text Address(const std::string& path) const { return Text("https://" + server.Host() + path); }
};

int ClosedPort() { return test_servers::FreePort(); }

Replica* replica = nullptr;
QApplication* app = nullptr;
BrowserControl* browser = nullptr;

class BrowserEnvironment : public testing::Environment {
public:
    void SetUp() override {
        replica = new Replica;
        ASSERT_TRUE(replica->server.Started()) << "search-replica did not start";
        // Trust the stand-in's throw-away certificate in the test only.
        QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        flags += " --ignore-certificate-errors-spki-list=" +
                 QByteArray::fromStdString(replica->server.Spki());
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
        static int argc = 1;
        static char name[] = "support_browser_tests";
        static char* argv[] = {name, nullptr};
        app = new QApplication(argc, argv);
        browser = new BrowserControl(nullptr, replica->Address("/"));
    }
    void TearDown() override {
        delete browser;
        delete app;
        delete replica;
    }
};
const auto* const kEnvironment = testing::AddGlobalTestEnvironment(new BrowserEnvironment);

// Polls as the check run does, with a generous limit instead of none.
bool WaitComplete() {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    do {
        PacedWait(100, 0);
        if (browser->IsComplete()) return true;
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

bool Load(const Text& address) {
    browser->SetAddress(address);
    EXPECT_FALSE(browser->IsComplete());
    return WaitComplete();
}

TEST(Browser, ResultPageForAGbkQueryIsReadThroughTheWindowTree) {
    const Text segment = "红烧肉是很多家庭餐桌上的常客，想做得肥而不腻，关键在于选料和火候。最好选";
    const Text address = replica->Address("/s?wd=") + check::PercentEncode(segment);
    int changes = 0;
    const auto connection =
        QObject::connect(browser, &BrowserControl::StatusTextChanged, [&changes] { ++changes; });
    browser->SetAddress(address);
    EXPECT_FALSE(browser->IsComplete());
    EXPECT_EQ(browser->StatusText(), Text("正在打开网页 ") + address + "...");
    ASSERT_TRUE(WaitComplete());
    QObject::disconnect(connection);
    EXPECT_TRUE(browser->LastLoadSucceeded());
    EXPECT_EQ(browser->StatusText(), "完成");
    EXPECT_GE(changes, 2);
    EXPECT_EQ(browser->CurrentAddress(), address);

    BrowserDocument document;
    ASSERT_TRUE(document.Bind(browser->WindowHandle()));
    const Text html = document.GetOuterHtml();
    EXPECT_TRUE(common::Contains(html, "<div class=\"result c-container"));
    int count = 0;
    common::TextArray urls;
    check::AnalyseResultPage(0.6f, html, count, urls);
    EXPECT_GE(count, 1);
    EXPECT_NE(std::find(urls.begin(), urls.end(),
                        Text("https://meishi.example/jiachang/hongshaorou.html")),
              urls.end());

    // The rendering window lies levels below and gives the same page when bound directly.
    const std::uint32_t server = document.FindBrowserServerWindow(browser->WindowHandle());
    ASSERT_NE(server, 0u);
    EXPECT_NE(platform_gui::ParentWindow(server), browser->WindowHandle());
    BrowserDocument direct;
    ASSERT_TRUE(direct.Bind(server));
    EXPECT_EQ(direct.GetOuterHtml(), html);

    // Not a window: what was held stays.
    EXPECT_FALSE(document.Bind(0));
    EXPECT_EQ(document.GetOuterHtml(), html);
}

TEST(Browser, NewAddressIsNeverCompleteForThePageBefore) {
    ASSERT_TRUE(Load(replica->Address("/page")));
    browser->SetAddress(replica->Address("/test/never-completes"));
    EXPECT_FALSE(browser->IsComplete());
    BrowserDocument document;
    EXPECT_FALSE(document.Bind(browser->WindowHandle()));  // no stale page meanwhile
    PacedWait(800, 0);
    EXPECT_FALSE(browser->IsComplete());
    // A navigation replacing an unfinished one completes with the new page.
    ASSERT_TRUE(Load(replica->Address("/robot-check")));
    ASSERT_TRUE(document.Bind(browser->WindowHandle()));
    EXPECT_TRUE(common::Contains(document.GetOuterHtml(), "百度安全验证"));
}

TEST(Browser, EveryNavigationEndsCompleteAndTellsWhetherItLoaded) {
    struct Case {
        Text address;
        bool succeeded;
        const char* shownPath;
    };
    const Case cases[] = {
        {replica->Address("/test/status/200"), true, "/test/status/200"},
        {replica->Address("/test/status/404"), false, "/test/status/404"},
        {replica->Address("/test/status/500"), false, "/test/status/500"},
        {replica->Address("/test/robot"), true, "/robot-check"},
        {Text("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/"), false, nullptr},
        {Text("http://tallowin-no-such-host.invalid/"), false, nullptr},
        {Text("http://"), false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address.Bytes());
        ASSERT_TRUE(Load(c.address));
        EXPECT_EQ(browser->LastLoadSucceeded(), c.succeeded);
        if (c.shownPath != nullptr) {
            EXPECT_EQ(browser->CurrentAddress(), replica->Address(c.shownPath));
        }
    }
    ASSERT_TRUE(Load(replica->Address("/robot-check")));
    BrowserDocument document;
    ASSERT_TRUE(document.Bind(browser->WindowHandle()));
    EXPECT_TRUE(common::Contains(document.GetOuterHtml(), "百度安全验证"));
}

TEST(Browser, CharactersGbkLacksComeBackAsQuestionMarks) {
    ASSERT_TRUE(Load(replica->Address("/test/non-gbk")));
    BrowserDocument document;
    ASSERT_TRUE(document.Bind(browser->WindowHandle()));
    const Text html = document.GetOuterHtml();
    EXPECT_TRUE(common::Contains(html, "<em>\x3f\x3f\x3f</em>"));
    EXPECT_TRUE(common::Contains(html, "韩语学习?"));
}

TEST(Browser, PageDialogsNeverReachTheUser) {
    // Unanswered, an alert would block here in a modal box.
    ASSERT_TRUE(Load("data:text/html,<script>alert(1);confirm(2);prompt(3)</script><p>after</p>"));
    BrowserDocument document;
    ASSERT_TRUE(document.Bind(browser->WindowHandle()));
    EXPECT_TRUE(common::Contains(document.GetOuterHtml(), "<p>after</p>"));
}

TEST(Browser, DestroyedControlTakesItsWindowsAlong) {
    auto* other = new BrowserControl(nullptr, "");
    const std::uint32_t window = other->WindowHandle();
    EXPECT_TRUE(platform_gui::IsWindow(window));
    delete other;
    EXPECT_FALSE(platform_gui::IsWindow(window));
    BrowserDocument document;
    EXPECT_FALSE(document.Bind(window));
}

}  // namespace
}  // namespace tallowin::support
