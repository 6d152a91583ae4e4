#pragma once
// A pause of the GUI thread that keeps the user interface alive: it sleeps
// until a one-shot timer fires, dispatching whatever events arrive meanwhile.

#include <cstdint>
#include <optional>

namespace tallowin::support {

// Units of PacedWait; any other code is itself the number of milliseconds per unit.
enum WaitUnit : int {
    kWaitMilliseconds = 0,
    kWaitSeconds = 1,
    kWaitMinutes = 2,
    kWaitHours = 3,
};

// The timer's due time in 100-nanosecond intervals, negative for a time
// relative to now. With amount omitted and unit 0 (or omitted) it is
// 18000000 x 18000000 ms, a wait that never ends by itself; with amount
// omitted and another unit it is 0. Beyond the 64-bit range it saturates to
// the most negative value.
std::int64_t PacedWaitDueTime(std::optional<int> amount, std::optional<int> unit);

// Waits amount x unit, dispatching events until the timer fires; a due time
// already past (0 or positive) returns at once without dispatching. Waits
// started by handlers meanwhile nest. False only when the timer or the wait
// cannot be made, which ends the wait at once.
bool PacedWait(std::optional<int> amount = std::nullopt, std::optional<int> unit = std::nullopt);

}  // namespace tallowin::support
