#include "support/PacedWait.h"

#include <limits>

#include "platform/Messages.h"

namespace tallowin::support {

namespace {

double Multiplier(int unit) {
    switch (unit) {
        case kWaitMilliseconds:
            return 1;
        case kWaitSeconds:
            return 1000;
        case kWaitMinutes:
            return 60000;
        case kWaitHours:
            return 3600000;
        default:
            return unit;
    }
}

// The omitted amount with unit 0: about 10,267 years, a wait that only serves events.
constexpr double kDefaultAmount = 18000000;
constexpr double kDefaultMultiplier = 18000000;

}  // namespace

std::int64_t PacedWaitDueTime(std::optional<int> amount, std::optional<int> unit) {
    const int unitCode = unit.value_or(0);
    double count;
    double multiplier;
    if (!amount && unitCode == 0) {
        count = kDefaultAmount;
        multiplier = kDefaultMultiplier;
    } else {
        count = amount.value_or(0);
        multiplier = Multiplier(unitCode);
    }
    const double due = count * multiplier * -10000.0;
    // Out of range a conversion to integer is undefined in C++; the platform
    // conversion gives the most negative value there, positive or negative.
    constexpr double kLimit = 9223372036854775808.0;  // 2^63
    if (!(due >= -kLimit && due < kLimit)) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(due);  // truncates toward zero
}

bool PacedWait(std::optional<int> amount, std::optional<int> unit) {
    const std::int64_t due = PacedWaitDueTime(amount, unit);
    // Zero or positive is a moment already past: the timer is due at once.
    if (due >= 0) return true;

    platform_gui::OneShotTimer timer;
    // Negated in unsigned arithmetic: the most negative value has no positive twin.
    const std::uint64_t delay = std::uint64_t{0} - static_cast<std::uint64_t>(due);
    if (!timer.Arm(delay)) return false;
    for (;;) {
        switch (platform_gui::WaitForTimerOrEvent(timer)) {
            case platform_gui::WaitResult::TimerFired:
                return true;
            case platform_gui::WaitResult::Failed:
                return false;
            case platform_gui::WaitResult::Event:
                platform_gui::ProcessPendingMessages();
                break;
        }
    }
}

}  // namespace tallowin::support
