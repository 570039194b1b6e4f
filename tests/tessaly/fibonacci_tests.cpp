#include "stack.h"
#include "tessaly_fixture.h"

#include <sys/resource.h>

#include <cstdint>
#include <limits>

namespace tessaly::testing {
namespace {

using Fibonacci = TessalyTest;

struct Call {
    double n;
    std::int64_t countOnEntry;
    std::int64_t result;
    std::int64_t countAfter;
    int dispatches;
};

TEST_F(Fibonacci, ResultsCountsAndDispatches) {
    const Call calls[] = {
        {0, 0, 0, 0, 0},
        {-0.0, 0, 0, 0, 0},
        {1, 0, 1, 0, 0},
        {-5, 0, 1, 0, 0},
        {0.5, 0, 1, 0, 0},
        {1.5, 0, 2, 1, 0},
        {2, 0, 1, 1, 0},
        {2.5, 0, 3, 2, 0},
        {3, 0, 2, 2, 0},
        {3.5, 0, 5, 4, 0},
        {10, 0, 55, 88, 0},
        {20, 0, 6765, 10945, 1},
        {25, 0, 75025, 121392, 12},
        {30, 0, 832040, 1346268, 134},
        // The dispatch comes when the count reaches a multiple of 10000, before the base cases.
        {2, 9999, 1, 10000, 1},
        {3, 19999, 2, 20001, 1},
        // The count runs on past 32 bits, still dispatching at every multiple of 10000.
        {2, 2147483647, 1, 2147483648, 0},
        {20, 2147480000, 6765, 2147490945, 1},
        {1, 2147483647, 1, 2147483647, 0},
    };
    for (const Call& call : calls) {
        SCOPED_TRACE(::testing::Message() << "n = " << call.n << ", count " << call.countOnEntry);
        std::vector<std::int64_t> countsAtDispatch;
        atDispatch([&](int) { countsAtDispatch.push_back(form().cntx); });
        form().cntx = call.countOnEntry;
        EXPECT_EQ(form().Fibonacci(call.n), call.result);
        EXPECT_EQ(form().cntx, call.countAfter);
        EXPECT_EQ(dispatches, call.dispatches);
        // Exact at every dispatch: the next multiple of the pace each time.
        std::int64_t expected = call.countOnEntry - call.countOnEntry % CallCount::pace;
        for (const std::int64_t counted : countsAtDispatch)
            EXPECT_EQ(counted, expected += CallCount::pace);
    }
}

// The integer path of whole indices and the floating-point path of fractional ones: k + 0.5
// gives F(k + 2) with the calls of the whole index k + 1.
TEST_F(Fibonacci, FractionalAndWholeIndicesAgree) {
    for (int k = 1; k <= 24; ++k) {
        SCOPED_TRACE(k);
        form().cntx = 0;
        const std::int64_t whole = form().Fibonacci(k + 2);
        form().cntx = 0;
        form().Fibonacci(k + 1);
        const std::int64_t wholeCalls = form().cntx;
        form().cntx = 0;
        EXPECT_EQ(form().Fibonacci(k + 0.5), whole);
        EXPECT_EQ(form().cntx, wholeCalls);
    }
}

TEST_F(Fibonacci, ACancelAtADispatchReturnsRightAfterIt) {
    for (const int k : {1, 5, 12}) {
        SCOPED_TRACE(k);
        atDispatch([k](int n) {
            if (n == k)
                form().cancel = 1;
        });
        form().cancel = 0;
        form().cntx = 0;
        form().Fibonacci(25);
        EXPECT_EQ(form().cntx, k * CallCount::pace);
        EXPECT_EQ(dispatches, k);
    }
}

TEST_F(Fibonacci, ACancelBeforeTheCallLeavesOnlyTheBaseCases) {
    const Call calls[] = {{0, 7, 0, 7, 0}, {1, 7, 1, 7, 0},   {-5, 7, 1, 7, 0},
                          {2, 7, 0, 7, 0}, {2.5, 7, 0, 7, 0}, {25, 7, 0, 7, 0}};
    form().cancel = 1;
    for (const Call& call : calls) {
        SCOPED_TRACE(call.n);
        form().cntx = call.countOnEntry;
        EXPECT_EQ(form().Fibonacci(call.n), call.result);
        EXPECT_EQ(form().cntx, call.countAfter);
        EXPECT_EQ(dispatches, 0);
    }
}

TEST_F(Fibonacci, ACancelDuringTheCallStopsTheCountingAtOnce) {
    atDispatch([](int) { form().cancel = 1; });
    form().Fibonacci(25);
    EXPECT_EQ(form().cntx, 10000);
    EXPECT_EQ(dispatches, 1);
}

// What a Start clicked inside a dispatch does to the count: the recursion that resumes paces its
// dispatches from the new count.
TEST_F(Fibonacci, PacingFollowsACountResetDuringADispatch) {
    atDispatch([](int n) {
        if (n == 1)
            form().cntx = 0;
    });
    EXPECT_EQ(form().Fibonacci(25), 75025);
    EXPECT_EQ(form().cntx, 121392 - 10000);
    EXPECT_EQ(dispatches, 1 + (121392 - 10000) / 10000);
}

TEST(FibonacciSum, OverflowsOnlyBeyond64Bits) {
    constexpr std::int64_t max = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t f90 = 2880067194370816120, f91 = 4660046610375530309;
    EXPECT_EQ(fibonacciSum(f91, f90), 7540113804746346429); // F(92)
    EXPECT_EQ(fibonacciSum(max, 0), max);
    EXPECT_EQ(fibonacciSum(1836311903, 1134903170), 2971215073);        // F(47), past 32 bits
    EXPECT_THROW(fibonacciSum(f91 + f90, f91), platform::RuntimeError); // F(93)
    EXPECT_THROW(fibonacciSum(max, 1), platform::RuntimeError);
}

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

// The depth an index reaches, as counted calls: 1e17 - 1 is 1e17, so every call goes one level
// deeper and the count at the error is the number of levels the stack allowed.
std::int64_t deepestLevels(Form1& form, double n) {
    form.cntx = 0;
    form.cancel = 0;
    try {
        form.Fibonacci(n);
    } catch (const platform::RuntimeError& error) {
        EXPECT_EQ(error.kind(), platform::ErrorKind::OutOfStackSpace);
        return form.cntx;
    }
    return -1;
}

TEST_F(Fibonacci, TheStackBoundHoldsOnBothSides) {
    // Far deeper than any index that finishes within a lifetime (92) needs, on either path.
    EXPECT_GT(deepestLevels(form(), 1e17), 2000);
    // A whole index below 2^53 runs on integers, whose frames may differ in size.
    const std::int64_t levels = deepestLevels(form(), 1e15);
    EXPECT_GT(levels, 2000);
    RecordProperty("levels", std::to_string(levels));
    // A whole index n nests n - 1 counted levels. Cancel once its first chain has gone down.
    atDispatch([&](int) {
        if (form().cntx > levels)
            form().cancel = 1;
    });
    EXPECT_EQ(deepestLevels(form(), static_cast<double>(levels + 1)), -1);
    EXPECT_EQ(deepestLevels(form(), static_cast<double>(levels + 2)), levels);
}

TEST_F(Fibonacci, AResultPast32BitsWithACountPast32Bits) {
#ifndef TESSALY_LONG_RUNS
    GTEST_SKIP() << "4.8 billion calls: run in optimised builds only";
#endif
    start(QStringLiteral("47"), QStringLiteral("1"));
    EXPECT_EQ(result(), QStringLiteral("2971215073"));
    EXPECT_EQ(form().cntx, 4807526975); // F(48) - 1
    EXPECT_EQ(dispatches, 3 + 480752);
    EXPECT_TRUE(errors.empty());
}

} // namespace
} // namespace tessaly::testing
