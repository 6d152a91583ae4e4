#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <limits>
#include <optional>
#include <thread>

#include "support/PacedWait.h"

namespace tallowin::support {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

TEST(PacedWaitDueTime, FollowsTheUnitTableAndDefaults) {
    struct Case {
        std::optional<int> amount;
        std::optional<int> unit;
        std::int64_t due;
    };
    const std::optional<int> omitted;
    const Case cases[] = {
        {100, 0, -1'000'000},
        {100, omitted, -1'000'000},
        {2, 1, -20'000'000},
        {1, 2, -600'000'000},
        {1, 3, -36'000'000'000},
        {2, 5, -100'000},  // other codes are milliseconds per unit
        {3, -4, 120'000},  // a negative code too, giving a moment long past
        {0, 0, 0},
        {-5, 0, 50'000},                           // negative amount: positive, already past
        {omitted, 0, -3'240'000'000'000'000'000},  // 18000000 x 18000000 ms
        {omitted, omitted, -3'240'000'000'000'000'000},
        {omitted, 1, 0},  // amount omitted with a unit: no wait
        {omitted, 7, 0},
        {1, 1'000'000'000, -10'000'000'000'000},
        // Beyond the 64-bit range, either way, the most negative value.
        {2'000'000'000, 3, kMin},
        {std::numeric_limits<int>::max(), std::numeric_limits<int>::max(), kMin},
        {std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), kMin},
        // Exactly representable in double and in range: truncation, no rounding surprises.
        {922'337'203, 1'000'000, -9'223'372'030'000'000'000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PacedWaitDueTime(c.amount, c.unit), c.due)
            << "amount " << (c.amount ? std::to_string(*c.amount) : "omitted") << ", unit "
            << (c.unit ? std::to_string(*c.unit) : "omitted");
    }
}

class PacedWaitTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "paced_wait_tests";
            static char* argv[] = {name, nullptr};
            new QCoreApplication(argc, argv);  // lives for the whole binary
        }
    }
};

TEST_F(PacedWaitTest, ServesEventsWhileItWaits) {
    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start();

    const auto start = Clock::now();
    EXPECT_TRUE(PacedWait(100, 0));
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, 95ms);
    EXPECT_LT(elapsed, 5s);
    EXPECT_GE(ticks, 3);
}

TEST_F(PacedWaitTest, PastDueTimeReturnsAtOnceWithoutDispatching) {
    struct Case {
        std::optional<int> amount;
        std::optional<int> unit;
    };
    const Case cases[] = {{0, 0}, {-100, 0}, {-1, 3}, {std::nullopt, 1}, {100, -1}};
    for (const Case& c : cases) {
        bool dispatched = false;
        QTimer::singleShot(0, [&dispatched] { dispatched = true; });
        const auto start = Clock::now();
        EXPECT_TRUE(PacedWait(c.amount, c.unit));
        EXPECT_LT(Clock::now() - start, 1s);
        EXPECT_FALSE(dispatched);
        QCoreApplication::processEvents();
        EXPECT_TRUE(dispatched);
    }
}

TEST_F(PacedWaitTest, WaitsStartedByHandlersNest) {
    bool innerDone = false;
    Clock::time_point innerEnd;
    QTimer::singleShot(20, [&] {
        EXPECT_TRUE(PacedWait(150, 0));
        innerDone = true;
        innerEnd = Clock::now();
    });
    const auto start = Clock::now();
    EXPECT_TRUE(PacedWait(50, 0));
    // The outer timer fired long before, but the inner wait had to end first.
    EXPECT_TRUE(innerDone);
    EXPECT_GE(innerEnd - start, 165ms);
}

TEST_F(PacedWaitTest, FailsAtOnceWhereNoEventLoopCanWait) {
    bool result = true;
    const auto start = Clock::now();
    std::thread([&result] { result = PacedWait(10, 1); }).join();
    EXPECT_FALSE(result);
    EXPECT_LT(Clock::now() - start, 5s);
}

}  // namespace
}  // namespace tallowin::support
