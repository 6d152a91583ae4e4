#include <gtest/gtest.h>

#include <cstdio>

#include "platform/Process.h"

namespace tallowin::platform {
namespace {

TEST(EndProcess, RunsTheTeardownOnceThenExitsWithTheCode) {
    EXPECT_EXIT(
        {
            RegisterTeardown([] {
                std::fputs("teardown\n", stderr);
                EndProcess(9);  // ending again from inside the teardown must not rerun it
            });
            EndProcess(3);
        },
        ::testing::ExitedWithCode(9), "^teardown\n$");
    EXPECT_EXIT(
        {
            RegisterTeardown([] { std::fputs("first\n", stderr); });
            RegisterTeardown([] { std::fputs("second\n", stderr); });
            EndProcess(0);
        },
        ::testing::ExitedWithCode(0), "^second\n$");
}

}  // namespace
}  // namespace tallowin::platform
