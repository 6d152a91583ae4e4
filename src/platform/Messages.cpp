#include "platform/Messages.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QThread>
#include <cerrno>
#include <ctime>

namespace tallowin::platform_gui {

void ProcessPendingMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

namespace {

bool HasEventLoop() {
    return QCoreApplication::instance() != nullptr &&
           QAbstractEventDispatcher::instance(QThread::currentThread()) != nullptr;
}

}  // namespace

struct OneShotTimer::Impl {
    int fd = -1;
    QSocketNotifier* notifier = nullptr;
    bool fired = false;

    // Reads the expiry count, which also stops the descriptor from waking the loop again.
    bool Drain() const {
        std::uint64_t expirations = 0;
        ssize_t got;
        do {
            got = ::read(fd, &expirations, sizeof expirations);
        } while (got < 0 && errno == EINTR);
        return got == static_cast<ssize_t>(sizeof expirations) && expirations > 0;
    }
};

OneShotTimer::OneShotTimer() : impl_(std::make_unique<Impl>()) {
    if (!HasEventLoop()) return;
    impl_->fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (impl_->fd < 0) return;
    impl_->notifier = new QSocketNotifier(impl_->fd, QSocketNotifier::Read);
    Impl* impl = impl_.get();
    QObject::connect(impl->notifier, &QSocketNotifier::activated, [impl] {
        if (impl->Drain()) impl->fired = true;
    });
}

OneShotTimer::~OneShotTimer() {
    delete impl_->notifier;
    if (impl_->fd >= 0) ::close(impl_->fd);
}

bool OneShotTimer::IsValid() const { return impl_->fd >= 0 && impl_->notifier != nullptr; }

bool OneShotTimer::Arm(std::uint64_t delay) {
    if (!IsValid()) return false;
    impl_->Drain();
    impl_->fired = false;
    if (delay == 0) {
        // A zero expiry would disarm a timerfd; a timer due now has simply fired.
        impl_->fired = true;
        return true;
    }
    itimerspec expiry{};
    expiry.it_value.tv_sec = static_cast<time_t>(delay / 10'000'000);
    expiry.it_value.tv_nsec = static_cast<long>(delay % 10'000'000) * 100;
    return ::timerfd_settime(impl_->fd, 0, &expiry, nullptr) == 0;
}

bool OneShotTimer::HasFired() {
    if (!impl_->fired && IsValid() && impl_->Drain()) impl_->fired = true;
    return impl_->fired;
}

WaitResult WaitForTimerOrEvent(OneShotTimer& timer) {
    if (!timer.IsValid() || !HasEventLoop()) return WaitResult::Failed;
    if (timer.HasFired()) return WaitResult::TimerFired;
    // Sleeps in the dispatcher until a source is ready (the timer's descriptor
    // among them) and dispatches what woke it.
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return timer.HasFired() ? WaitResult::TimerFired : WaitResult::Event;
}

}  // namespace tallowin::platform_gui
