#include "platform/core/stack.h"

#include <sys/resource.h>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(Stack, BoundsAreTheThreadsRealStack) {
    const platform::StackBounds bounds = platform::stackBounds();
    int here = 0;
    const auto address = reinterpret_cast<std::uintptr_t>(&here);
    EXPECT_GT(address, platform::stackLimit());
    EXPECT_LT(address, bounds.high);
    EXPECT_GT(platform::stackLimit(), bounds.low);
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_STACK, &limit), 0);
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur <= 64u * 1024 * 1024) {
        EXPECT_NEAR(static_cast<double>(bounds.high - bounds.low),
                    static_cast<double>(limit.rlim_cur), 64 * 1024.0);
    }
}

} // namespace
