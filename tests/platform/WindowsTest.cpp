#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "platform/Messages.h"
#include "platform/QtText.h"
#include "platform/Windows.h"

namespace tallowin::platform_gui {
namespace {

// One application for the binary: owners, timers and posted events need it.
class AppEnvironment : public testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "platform_gui_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QCoreApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QCoreApplication> app_;
};
const auto* const kEnvironment = testing::AddGlobalTestEnvironment(new AppEnvironment);

common::Text ClassName(WindowHandle window, int size) {
    std::string buffer(static_cast<std::size_t>(std::max(size, 1)), 'X');
    const int copied = GetClassNameInto(window, buffer.data(), size);
    if (size < 1) return common::Text(std::to_string(copied));
    EXPECT_EQ(buffer[static_cast<std::size_t>(copied)], '\0');
    return common::Text(buffer.c_str());
}

TEST(WindowRegistry, DestroyingAWindowEndsItAndEverythingBelowAtOnce) {
    const WindowHandle top = CreateWindow("Top", 0);
    const WindowHandle child = CreateWindow("Child", top);
    const WindowHandle grandchild = CreateWindow("Grandchild", child);
    for (const WindowHandle window : {top, child, grandchild}) {
        EXPECT_GT(static_cast<std::int32_t>(window), 0);
        EXPECT_TRUE(IsWindow(window));
    }
    EXPECT_EQ(ParentWindow(grandchild), child);

    DestroyWindow(top);
    for (const WindowHandle window : {top, child, grandchild}) EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsWindow(0));
    // A stale handle is never given out again and cannot parent anything.
    EXPECT_EQ(CreateWindow("Orphan", child), 0u);
    const WindowHandle next = CreateWindow("Next", 0);
    EXPECT_NE(next, top);
    EXPECT_NE(next, child);
    EXPECT_NE(next, grandchild);
    DestroyWindow(next);
}

TEST(WindowRegistry, ChildrenComeInZOrderTopFirst) {
    const WindowHandle parent = CreateWindow("Parent", 0);
    const WindowHandle first = CreateWindow("A", parent);
    const WindowHandle second = CreateWindow("B", parent);
    const WindowHandle third = CreateWindow("C", parent);
    const WindowHandle stranger = CreateWindow("Stranger", 0);

    // A new window goes on top of its siblings.
    EXPECT_EQ(FindChildWindow(parent, 0), third);
    EXPECT_EQ(FindChildWindow(parent, third), second);
    EXPECT_EQ(FindChildWindow(parent, second), first);
    EXPECT_EQ(FindChildWindow(parent, first), 0u);
    EXPECT_EQ(FindChildWindow(parent, stranger), 0u);
    EXPECT_EQ(FindChildWindow(first, 0), 0u);
    EXPECT_EQ(FindChildWindow(0xDEAD0000u, 0), 0u);

    DestroyWindow(second);
    EXPECT_EQ(FindChildWindow(parent, third), first);
    DestroyWindow(parent);
    DestroyWindow(stranger);
}

TEST(WindowRegistry, WindowGoesWithItsOwner) {
    auto* owner = new QObject;
    const WindowHandle window = CreateWindow("Owned", 0, {}, owner);
    const WindowHandle below = CreateWindow("Below", window);
    const WindowHandle other = CreateWindow("Other", 0);
    delete owner;
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsWindow(below));
    EXPECT_TRUE(IsWindow(other));

    // A window destroyed before its owner leaves nothing behind to fire later.
    auto* later = new QObject;
    const WindowHandle early = CreateWindow("Early", 0, {}, later);
    DestroyWindow(early);
    delete later;
    EXPECT_TRUE(IsWindow(other));
    DestroyWindow(other);
}

TEST(WindowRegistry, ClassNameIsReadThroughTheCallersBuffer) {
    const std::string longName(60, 'L');
    const std::string name49(49, 'N');
    const WindowHandle longWindow = CreateWindow(common::Text(longName), 0);
    const WindowHandle window49 = CreateWindow(common::Text(name49), 0);
    const WindowHandle shortWindow = CreateWindow("Short", 0);

    EXPECT_EQ(ClassName(longWindow, 50), common::Text(std::string(49, 'L')));
    EXPECT_EQ(ClassName(window49, 50), common::Text(name49));
    EXPECT_EQ(ClassName(shortWindow, 50), "Short");
    EXPECT_EQ(ClassName(shortWindow, 3), "Sh");
    EXPECT_EQ(ClassName(shortWindow, 1), "");
    EXPECT_EQ(ClassName(shortWindow, 0), "0");  // nothing written, 0 copied
    EXPECT_EQ(ClassName(0xDEAD0000u, 50), "");

    for (const WindowHandle window : {longWindow, window49, shortWindow}) DestroyWindow(window);
}

TEST(WindowRegistry, RegisteredMessagesAreStablePerName) {
    const std::uint32_t first = RegisterWindowMessage("TALLOWIN_TEST_ONE");
    EXPECT_GE(first, 0xC000u);
    EXPECT_EQ(RegisterWindowMessage("TALLOWIN_TEST_ONE"), first);
    const std::uint32_t second = RegisterWindowMessage("TALLOWIN_TEST_TWO");
    EXPECT_GE(second, 0xC000u);
    EXPECT_NE(second, first);
    EXPECT_NE(RegisterWindowMessage("tallowin_test_one"), first);  // names are case-sensitive
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

TEST(WindowRegistry, SendMessageTimeoutGivesTheAnswerOnlyWhenOneCameInTime) {
    struct Case {
        const char* what;
        MessageHandler handler;
        bool sent;
        std::intptr_t result;
    };
    const Case cases[] = {
        {"no handler", {}, true, 0},
        {"answers",
         [](std::uint32_t m, std::uintptr_t w, std::intptr_t l) -> std::optional<std::intptr_t> {
             return m + w + l;
         },
         true, 0x1234 + 1 + 2},
        {"leaves it",
         [](std::uint32_t, std::uintptr_t, std::intptr_t) -> std::optional<std::intptr_t> {
             return std::nullopt;
         },
         true, 0},
        {"too slow",
         [](std::uint32_t, std::uintptr_t, std::intptr_t) -> std::optional<std::intptr_t> {
             std::this_thread::sleep_for(std::chrono::milliseconds(80));
             return 99;
         },
         false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const WindowHandle window = CreateWindow("Target", 0, c.handler);
        std::intptr_t result = -7;
        EXPECT_EQ(SendMessageTimeout(window, 0x1234, 1, 2, 20, &result), c.sent);
        EXPECT_EQ(result, c.result);
        DestroyWindow(window);
    }

    std::intptr_t result = -7;
    EXPECT_FALSE(SendMessageTimeout(0xDEAD0000u, 0x1234, 0, 0, 20, &result));
    EXPECT_EQ(result, 0);

    // A handler may destroy its own window while it answers.
    WindowHandle self = 0;
    self = CreateWindow(
        "SelfDestroying", 0,
        [&self](std::uint32_t, std::uintptr_t, std::intptr_t) -> std::optional<std::intptr_t> {
            DestroyWindow(self);
            return 5;
        });
    EXPECT_TRUE(SendMessageTimeout(self, 1, 0, 0, 1000, &result));
    EXPECT_EQ(result, 5);
    EXPECT_FALSE(IsWindow(self));
}

class Probe : public platform::Dispatch {};

TEST(WindowRegistry, ParkedObjectIsHandedOutOnceForItsInterface) {
    const auto probe = std::make_shared<Probe>();
    const std::intptr_t result =
        ResultFromObject(kIidHtmlDocument, platform::AutomationObject(probe));
    EXPECT_GT(result, 0);
    const platform::AutomationObject taken = ObjectFromResult(result, kIidHtmlDocument);
    EXPECT_EQ(taken.Get(), probe.get());
    EXPECT_TRUE(ObjectFromResult(result, kIidHtmlDocument).IsEmpty());

    InterfaceId other = kIidHtmlDocument;
    other.data4[7] ^= 1;
    const std::intptr_t again =
        ResultFromObject(kIidHtmlDocument, platform::AutomationObject(probe));
    EXPECT_TRUE(ObjectFromResult(again, other).IsEmpty());
    EXPECT_TRUE(ObjectFromResult(0, kIidHtmlDocument).IsEmpty());
    EXPECT_EQ(ResultFromObject(kIidHtmlDocument, {}), 0);
}

TEST(QtText, ConvertsBetweenGbkAndUtf16) {
    EXPECT_EQ(ToQString("中文，abc"), QStringLiteral(u"中文，abc"));
    EXPECT_EQ(FromQString(QStringLiteral(u"中文，abc")), "中文，abc");
    EXPECT_EQ(ToQString(""), QString());
    EXPECT_TRUE(FromQString(QString()).IsEmpty());
    // Characters GBK lacks become "?"; a NUL ends the text.
    EXPECT_EQ(FromQString(QStringLiteral(u"中한文")), "中?文");
    EXPECT_EQ(FromQString(QString::fromUtf16(u"ab\0cd", 5)), "ab");
}

TEST(Messages, ProcessPendingMessagesDispatchesWhatWaitsWithoutWaitingForMore) {
    int ran = 0;
    QTimer::singleShot(0, [&ran] { ++ran; });
    QTimer::singleShot(0, [&ran] { ++ran; });
    ProcessPendingMessages();
    EXPECT_EQ(ran, 2);
    ProcessPendingMessages();  // an empty queue returns at once
    EXPECT_EQ(ran, 2);
}

TEST(Messages, FiredTimerComesBeforeWaitingEvents) {
    OneShotTimer timer;
    ASSERT_TRUE(timer.IsValid());
    ASSERT_TRUE(timer.Arm(0));
    bool dispatched = false;
    QTimer::singleShot(0, [&dispatched] { dispatched = true; });
    EXPECT_EQ(WaitForTimerOrEvent(timer), WaitResult::TimerFired);
    EXPECT_FALSE(dispatched);

    // A timer that fired while nobody waited is seen at the next wait too.
    ASSERT_TRUE(timer.Arm(10'000));  // 1 ms
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(WaitForTimerOrEvent(timer), WaitResult::TimerFired);
    ProcessPendingMessages();
    EXPECT_TRUE(dispatched);
}

TEST(Messages, WaitSleepsUntilTheTimerFires) {
    OneShotTimer timer;
    ASSERT_TRUE(timer.Arm(300'000));  // 30 ms
    const auto start = std::chrono::steady_clock::now();
    int rounds = 0;
    WaitResult result;
    while ((result = WaitForTimerOrEvent(timer)) == WaitResult::Event) ++rounds;
    EXPECT_EQ(result, WaitResult::TimerFired);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(25));
    EXPECT_LT(rounds, 50);  // woken by events, not spinning
    // Re-arming starts afresh.
    ASSERT_TRUE(timer.Arm(50'000'000));  // 5 s
    EXPECT_FALSE(timer.HasFired());
}

TEST(Messages, WaitFailsOnAThreadWithoutEventLoop) {
    WaitResult result = WaitResult::TimerFired;
    bool valid = true;
    std::thread([&] {
        OneShotTimer timer;
        valid = timer.IsValid();
        result = WaitForTimerOrEvent(timer);
    }).join();
    EXPECT_FALSE(valid);
    EXPECT_EQ(result, WaitResult::Failed);
}

}  // namespace
}  // namespace tallowin::platform_gui
