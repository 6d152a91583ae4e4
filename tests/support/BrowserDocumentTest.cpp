#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "platform/Windows.h"
#include "support/BrowserDocument.h"

namespace tallowin::support {
namespace {

namespace gui = platform_gui;
using platform::AutomationObject;
using platform::Variant;

// A document as the rendering window hands it out; without html it has no root element.
class Element : public platform::Dispatch {
public:
    explicit Element(std::u16string html) : html_(std::move(html)) {}
    std::optional<Variant> GetProperty(std::string_view name, std::span<const Variant>) override {
        if (name == "outerHTML") return Variant(html_);
        return std::nullopt;
    }

private:
    std::u16string html_;
};

class Document : public platform::Dispatch {
public:
    explicit Document(std::optional<std::u16string> html) : html_(std::move(html)) {}
    std::optional<Variant> GetProperty(std::string_view name, std::span<const Variant>) override {
        if (name != "documentElement") return std::nullopt;
        if (!html_) return Variant();
        return Variant(AutomationObject(std::make_shared<Element>(*html_)));
    }

private:
    std::optional<std::u16string> html_;
};

// A rendering window that answers with a new document of `html` each time it is asked.
gui::WindowHandle RenderingWindow(gui::WindowHandle parent, std::optional<std::u16string> html,
                                  std::chrono::milliseconds delay = {}) {
    const std::uint32_t getObject = gui::RegisterWindowMessage("WM_HTML_GETOBJECT");
    return gui::CreateWindow(
        kBrowserServerClass, parent,
        [getObject, html, delay](std::uint32_t message, std::uintptr_t,
                                 std::intptr_t) -> std::optional<std::intptr_t> {
            if (message != getObject) return std::nullopt;
            std::this_thread::sleep_for(delay);
            return gui::ResultFromObject(gui::kIidHtmlDocument,
                                         AutomationObject(std::make_shared<Document>(html)));
        });
}

// Control
//   Pane                      (top: searched first, nothing below)
//     Leaf
//   Shell DocObject View
//     Internet Explorer_Server  -> "<html>first</html>"
//   Internet Explorer_Server    -> "<html>second</html>" (never reached from Control)
class BrowserDocumentTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "browser_document_tests";
            static char* argv[] = {name, nullptr};
            new QCoreApplication(argc, argv);  // lives for the whole binary
        }
    }

    void SetUp() override {
        control_ = gui::CreateWindow("Shell Embedding", 0);
        second_ = RenderingWindow(control_, u"<html>second</html>");
        view_ = gui::CreateWindow("Shell DocObject View", control_);
        first_ = RenderingWindow(view_, u"<html>first</html>");
        pane_ = gui::CreateWindow("Pane", control_);
        gui::CreateWindow("Leaf", pane_);
    }
    void TearDown() override { gui::DestroyWindow(control_); }

    gui::WindowHandle control_ = 0, second_ = 0, view_ = 0, first_ = 0, pane_ = 0;
};

TEST_F(BrowserDocumentTest, BindFindsTheRenderingWindowDepthFirst) {
    BrowserDocument document;
    EXPECT_EQ(document.FindBrowserServerWindow(control_), first_);
    EXPECT_EQ(document.FindBrowserServerWindow(pane_), 0u);

    // Waiting events are dispatched between siblings.
    bool dispatched = false;
    QTimer::singleShot(0, [&dispatched] { dispatched = true; });
    EXPECT_TRUE(document.Bind(control_));
    EXPECT_TRUE(dispatched);
    EXPECT_EQ(document.Window(), control_);
    EXPECT_EQ(document.GetOuterHtml(), "<html>first</html>");
    EXPECT_EQ(document.GetOuterHtml(), "<html>first</html>");  // the document stays held

    // A rendering window given directly is used as it is.
    EXPECT_TRUE(document.Bind(second_));
    EXPECT_EQ(document.GetOuterHtml(), "<html>second</html>");
}

TEST_F(BrowserDocumentTest, HandleThatIsNotAWindowChangesNothing) {
    BrowserDocument document;
    ASSERT_TRUE(document.Bind(control_));
    const AutomationObject held = document.GetDocument();

    const gui::WindowHandle gone = gui::CreateWindow("Gone", 0);
    gui::DestroyWindow(gone);
    for (const gui::WindowHandle window : {gui::WindowHandle{0}, gone}) {
        EXPECT_FALSE(document.Bind(window));
        EXPECT_EQ(document.Window(), control_);
        EXPECT_EQ(document.GetDocument(), held);
        EXPECT_EQ(document.GetOuterHtml(), "<html>first</html>");
    }
}

TEST_F(BrowserDocumentTest, BindThatGetsNoDocumentLetsTheOldOneGo) {
    const gui::WindowHandle silent = gui::CreateWindow(kBrowserServerClass, 0);  // never answers
    const gui::WindowHandle hung =
        RenderingWindow(0, u"<html>late</html>", std::chrono::milliseconds(1100));
    struct Case {
        const char* what;
        gui::WindowHandle window;
    };
    const Case cases[] = {
        {"no rendering window below", pane_},
        {"rendering window without an answer", silent},
        {"rendering window answering too late", hung},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BrowserDocument document;
        ASSERT_TRUE(document.Bind(first_));
        EXPECT_FALSE(document.Bind(c.window));
        EXPECT_EQ(document.Window(), c.window);
        EXPECT_TRUE(document.GetDocument().IsEmpty());
        EXPECT_EQ(document.GetOuterHtml(), "");
    }
    gui::DestroyWindow(hung);
    gui::DestroyWindow(silent);
}

TEST_F(BrowserDocumentTest, OuterHtmlIsGbkWithMarksForWhatGbkLacks) {
    BrowserDocument document;
    EXPECT_EQ(document.GetOuterHtml(), "");  // before any bind

    const gui::WindowHandle foreign = RenderingWindow(0, u"<p>한国😀文</p>");
    ASSERT_TRUE(document.Bind(foreign));
    EXPECT_EQ(document.GetOuterHtml(), "<p>?国?文</p>");

    const gui::WindowHandle rootless = RenderingWindow(0, std::nullopt);
    EXPECT_TRUE(document.Bind(rootless));
    EXPECT_EQ(document.GetOuterHtml(), "");

    document.ClearDocument();
    EXPECT_TRUE(document.GetDocument().IsEmpty());
    gui::DestroyWindow(foreign);
    gui::DestroyWindow(rootless);
}

TEST_F(BrowserDocumentTest, ClassNameIsComparedOnItsFirst49Characters) {
    const std::string longName = std::string(kBrowserServerClass) + std::string(40, '_');
    const gui::WindowHandle window = gui::CreateWindow(common::Text(longName), 0);
    EXPECT_EQ(GetWindowClassName(window), common::Text(longName.substr(0, 49)));
    EXPECT_EQ(GetWindowClassName(first_), kBrowserServerClass);
    EXPECT_EQ(GetWindowClassName(0), "");
    // Not the rendering window's class: searched below instead, and nothing is there.
    BrowserDocument document;
    EXPECT_FALSE(document.Bind(window));
    gui::DestroyWindow(window);
}

TEST_F(BrowserDocumentTest, CopiesShareTheDocumentAndPairAutomationSetUp) {
    const int before = platform::AutomationInitCount();
    {
        BrowserDocument document;
        EXPECT_EQ(platform::AutomationInitCount(), before + 1);
        ASSERT_TRUE(document.Bind(control_));
        BrowserDocument copy(document);
        EXPECT_EQ(platform::AutomationInitCount(), before + 2);
        EXPECT_EQ(copy.Window(), control_);
        EXPECT_EQ(copy.GetDocument().Get(), document.GetDocument().Get());

        BrowserDocument assigned;
        assigned = copy;
        EXPECT_EQ(platform::AutomationInitCount(), before + 3);
        EXPECT_EQ(assigned.GetOuterHtml(), "<html>first</html>");
        document.ClearDocument();
        EXPECT_EQ(copy.GetOuterHtml(), "<html>first</html>");
    }
    EXPECT_EQ(platform::AutomationInitCount(), before);
}

}  // namespace
}  // namespace tallowin::support
