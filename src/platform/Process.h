#pragma once
// Ending the process: one operation that runs the registered teardown and
// then ends the process with the code.

#include <functional>

namespace tallowin::platform {

// The routine to run when the process ends (registering again replaces it).
void RegisterTeardown(std::function<void()> teardown);

// Runs the teardown once, then ends the process. Does not return.
[[noreturn]] void EndProcess(int exitCode);

// Test seam: called with the code after the teardown in place of ending the
// process; it must not return (a test throws from it).
void SetProcessEndHandlerForTests(std::function<void(int)> handler);

}  // namespace tallowin::platform
