#include "platform/Process.h"

#include <cstdlib>
#include <utility>

namespace tallowin::platform {
namespace {

std::function<void()> g_teardown;
std::function<void(int)> g_endHandler;

}  // namespace

void RegisterTeardown(std::function<void()> teardown) { g_teardown = std::move(teardown); }

void EndProcess(int exitCode) {
    // Taken out first, so a teardown that ends the process again does not rerun it.
    if (auto teardown = std::exchange(g_teardown, nullptr)) teardown();
    if (g_endHandler) g_endHandler(exitCode);
    // Not std::exit: static destructors of Qt objects would run after the
    // application object is gone.
    std::quick_exit(exitCode);
}

void SetProcessEndHandlerForTests(std::function<void(int)> handler) {
    g_endHandler = std::move(handler);
}

}  // namespace tallowin::platform
