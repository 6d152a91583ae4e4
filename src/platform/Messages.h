#pragma once
// Message dispatch and the timed sleep of the GUI thread, over the Qt event
// loop: in place of PeekMessage/DispatchMessage, waitable timers and
// MsgWaitForMultipleObjects.

#include <cstdint>
#include <memory>

namespace tallowin::platform_gui {

// Dispatches the events waiting for the GUI thread and returns as soon as
// none is left; never waits for more. A pending quit is left to the loop that
// runs the application.
void ProcessPendingMessages();

// A one-shot timer (timerfd) that the event loop watches, so that a thread
// sleeping in WaitForTimerOrEvent wakes when it fires.
class OneShotTimer {
public:
    OneShotTimer();
    ~OneShotTimer();
    OneShotTimer(const OneShotTimer&) = delete;
    OneShotTimer& operator=(const OneShotTimer&) = delete;

    // The timer could be made (a file descriptor and an event loop to watch it).
    bool IsValid() const;
    // Arms the timer once, relative to now: `delay` counts 100-nanosecond
    // intervals; 0 makes it due at once. False when it cannot be armed.
    bool Arm(std::uint64_t delay);
    // Whether the timer has fired since it was armed.
    bool HasFired();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

enum class WaitResult {
    TimerFired,  // the timer has fired; nothing else was dispatched
    Event,       // something else woke the thread (and what woke it was dispatched)
    Failed,      // the wait cannot be made
};

// Sleeps in the event loop until the timer fires or an event arrives, with no
// polling. The timer comes first: when it has already fired, this returns at
// once without dispatching anything.
WaitResult WaitForTimerOrEvent(OneShotTimer& timer);

}  // namespace tallowin::platform_gui
