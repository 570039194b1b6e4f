#include "tests/tessaly/tessaly_fixture.h"

#include <cmath>
#include <cstdint>
#include <optional>

namespace tessaly::testing {
namespace {

using Fibonacci = TessalyTest;

TEST_F(Fibonacci, ResultsCountsAndDispatches) {
    struct Call {
        double n;
        std::int64_t countOnEntry;
        std::int64_t result;
        std::int64_t countAfter;
        int dispatches;
        bool cancelledBefore = false;
    };
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
        // Cancelled before the call: only the base cases give their result.
        {0, 7, 0, 7, 0, true},
        {1, 7, 1, 7, 0, true},
        {-5, 7, 1, 7, 0, true},
        {2, 7, 0, 7, 0, true},
        {2.5, 7, 0, 7, 0, true},
        {25, 7, 0, 7, 0, true},
    };
    for (const Call& call : calls) {
        SCOPED_TRACE(::testing::Message() << "n = " << call.n << ", count " << call.countOnEntry);
        std::vector<std::int64_t> countsAtDispatch;
        atDispatch([&](int) { countsAtDispatch.push_back(form().cntx); });
        form().cancel = call.cancelledBefore ? 1 : 0;
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

// The recursion on its own, with no window: a yield of the caller's choosing, which may cancel.
std::int16_t bareCancel = 0;
int bareYields = 0;
int bareLeftSetAt = 0;

void bareYield() {
    ++bareYields;
    bareCancel = bareLeftSetAt != 0 && bareYields >= bareLeftSetAt;
}

// Only the flag as a dispatch leaves it cancels: set and cleared again within one dispatch (a
// Cancel, then a Start), it stops nothing; left set, it stops the whole and the fractional
// index's computations right after that dispatch. The window's recursion and the bare one alike.
TEST_F(Fibonacci, OnlyTheFlagAsADispatchLeavesItCancels) {
    struct Row {
        double n;
        int leftSetAt;                      // the dispatch that leaves the flag set; 0: none
        std::optional<std::int64_t> result; // none: cut short
        std::int64_t count;
        int dispatches;
    };
    const Row rows[] = {
        {1, 0, 1, 0, 0},
        {25, 0, 75025, 121392, 12},
        {25.5, 0, 196418, 196417, 19},
        {25, 1, std::nullopt, 10000, 1},
        {25, 5, std::nullopt, 50000, 5},
        {25, 12, std::nullopt, 120000, 12},
        {25.5, 3, std::nullopt, 30000, 3},
        {30, 3, std::nullopt, 30000, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.n << " cancelled at " << row.leftSetAt);
        atDispatch([&row](int n) {
            form().cancel = 1;
            if (row.leftSetAt == 0 || n < row.leftSetAt)
                form().cancel = 0;
        });
        form().cancel = 0;
        form().cntx = 0;
        const std::int64_t result = form().Fibonacci(row.n);
        EXPECT_EQ(form().cntx, row.count);
        EXPECT_EQ(dispatches, row.dispatches);

        bareCancel = 0;
        bareYields = 0;
        bareLeftSetAt = row.leftSetAt;
        CallCount count;
        const std::int64_t bare = countedFibonacci(row.n, bareCancel, count, bareYield);
        EXPECT_EQ(count, row.count);
        EXPECT_EQ(bareYields, row.dispatches);
        if (row.result) {
            EXPECT_EQ(result, *row.result);
            EXPECT_EQ(bare, *row.result);
        }
    }
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

// F(92) is the largest Fibonacci number in 64 bits; a fractional k + f gives F(k + 2). An index
// beyond is refused before the first call, where it would otherwise run for centuries. One below
// it starts: cancelled at its first dispatch, it raises nothing.
TEST_F(Fibonacci, OnlyIndicesBeyond64BitsOverflow) {
    struct Index {
        double n;
        bool overflows;
    };
    const Index indices[] = {{92, false},      {90.5, false},  {90.999, false}, {93, true},
                             {91.5, true},     {91.001, true}, {92.5, true},    {50000, true},
                             {1e15, true},     {0x1p53, true}, {1e17, true},    {1e300, true},
                             {INFINITY, true}, {NAN, true}};
    atDispatch([](int) { form().cancel = 1; });
    for (const Index& index : indices) {
        SCOPED_TRACE(index.n);
        form().cancel = 0;
        form().cntx = 0;
        dispatches = 0;
        try {
            form().Fibonacci(index.n);
            EXPECT_FALSE(index.overflows);
            EXPECT_EQ(form().cntx, CallCount::pace);
        } catch (const platform::RuntimeError& error) {
            EXPECT_TRUE(index.overflows);
            EXPECT_EQ(error.kind(), platform::ErrorKind::Overflow);
            EXPECT_EQ(form().cntx, 0);
        }
        EXPECT_EQ(dispatches, index.overflows ? 0 : 1);
    }
}

TEST_F(Fibonacci, AResultPast32BitsWithACountPast32Bits) {
#ifndef TESSALY_LONG_RUNS
    GTEST_SKIP() << "4.8 billion calls: run in optimised builds, not under an emulator";
#endif
    start(QStringLiteral("47"), QStringLiteral("1"));
    EXPECT_EQ(result(), QStringLiteral("2971215073"));
    EXPECT_EQ(form().cntx, 4807526975); // F(48) - 1
    EXPECT_EQ(dispatches, 3 + 480752);
    EXPECT_TRUE(errors.empty());
}

} // namespace
} // namespace tessaly::testing
