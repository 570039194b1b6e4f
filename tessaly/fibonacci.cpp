#include "tessaly/fibonacci.h"

#include "platform/core/errors.h"
#include "platform/core/stack.h"
#include "platform/core/text.h"

#include <cmath>

namespace tessaly {
namespace {

// F(92) is the largest Fibonacci number that 64 bits hold.
constexpr double largestExactIndex = 92;

// Below 2^53 a whole index runs on integers, which subtract and compare exactly as the doubles
// would; above, every double is whole, and far beyond 64 bits.
bool wholeIndex(double n) {
    return n == std::floor(n) && n < 0x1p53;
}

template <class Index> std::int64_t baseValue(Index n) {
    return n == 0 ? 0 : 1;
}

// A partial sum and the calls still to go until the next dispatch, both in registers.
struct Partial {
    std::int64_t sum;
    std::int64_t untilDispatch;
};

// A cancel found at a dispatch. Only a yield can set the flag, so it is tested where a yield has
// just returned, and the recursion leaves at once from there: no call tests it on its own, and
// the calls after the cancel, which would have found it and counted nothing, are not made.
struct Cancelled {};

// One computation: the count it hands back at every dispatch, the dispatch itself and the flag it
// tests after each.
class Recursion {
  public:
    Recursion(const std::int16_t& cancel, CallCount& count, Yield yield)
        : cancel_(cancel), count_(count), yield_(yield) {}

    // Fibonacci for an index above 1, where the calls are counted. Throws Cancelled when a yield
    // has set the flag; the count then stands as that dispatch left it.
    template <class Index> Partial counted(Index n, std::int64_t untilDispatch) const;

  private:
    // The count has reached a multiple of the pace: the yield, and the calls to go until the next
    // one, which a Start handled in it may have changed by resetting the count. Out of line, so
    // that the recursion stays small enough for the compiler to unfold several of its levels into
    // one frame.
    [[gnu::cold, gnu::noinline]] std::int64_t dispatch() const {
        count_.reachPace();
        yield_();
        if (cancel_ == 1)
            throw Cancelled{};
        return count_.untilDispatch();
    }

    const std::int16_t& cancel_;
    CallCount& count_;
    Yield yield_;
};

// The hot path of the recursion. The base cases are resolved here rather than by a call of
// their own, the second call of a level, Fibonacci(n - 2), is taken as the next turn of a loop in
// the same frame, and the count lives in a register between dispatches, so that a call reads and
// writes no memory. None of this changes what is counted or dispatched, nor in which order.
template <class Index> Partial Recursion::counted(Index n, std::int64_t untilDispatch) const {
    std::int64_t sum = 0;
    for (;;) {
        if (--untilDispatch == 0) [[unlikely]]
            untilDispatch = dispatch();
        const Index first = n - 1;
        if (first <= 1) {
            sum += baseValue(first);
        } else {
            const Partial part = counted<Index>(first, untilDispatch);
            untilDispatch = part.untilDispatch;
            sum += part.sum;
        }
        n = n - 2;
        if (n <= 1)
            return {sum + baseValue(n), untilDispatch};
    }
}

[[noreturn, gnu::cold, gnu::noinline]] void raiseResultOverflow(double n) {
    platform::raiseOverflow(QStringLiteral("The Fibonacci number is too large for 64 bits."),
                            {indexInput.toString(), {}, n});
}

} // namespace

std::int64_t countedFibonacci(double n, const std::int16_t& cancel, CallCount& count, Yield yield) {
    if (n <= 1)
        return baseValue(n);
    // Beyond 64 bits the sum would overflow only after centuries of calls: the error comes at
    // once instead.
    if (beyond64Bits(n))
        raiseResultOverflow(n);
    const bool whole = wholeIndex(n);
    // No sum below that bound passes 64 bits, and such an index nests at most 91 levels, which
    // the room kept below the stack limit holds: one check here stands for all of its levels.
    platform::checkStack();
    // A cancel before the first counted call: it finds the flag and counts nothing.
    if (cancel == 1)
        return 0;
    const Recursion recursion(cancel, count, yield);
    const std::int64_t untilDispatch = count.untilDispatch();
    try {
        const Partial partial =
            whole ? recursion.counted<std::int64_t>(static_cast<std::int64_t>(n), untilDispatch)
                  : recursion.counted<double>(n, untilDispatch);
        count.setUntilDispatch(partial.untilDispatch);
        return partial.sum;
    } catch (const Cancelled&) {
        // The partial sum of a cancelled computation means nothing; the count is exact.
        return 0;
    }
}

bool beyond64Bits(double n) {
    // The comparisons fail for a NaN.
    return !(wholeIndex(n) ? n <= largestExactIndex : n < largestExactIndex - 1);
}

std::optional<std::uint64_t> countedCalls(double n) {
    if (!(n > 1))
        return 0;
    // The calls of a fractional k + f are those of the whole k + 1.
    const double whole = n == std::floor(n) ? n : std::floor(n) + 1;
    // Index 93 would take F(94), the first Fibonacci number past 64 unsigned bits.
    if (whole > largestExactIndex)
        return std::nullopt;
    std::uint64_t previous = 0, current = 1; // F(0), F(1)
    for (int i = 1; i < static_cast<int>(whole) + 1; ++i) {
        const std::uint64_t next = previous + current;
        previous = current;
        current = next;
    }
    return current - 1;
}

QString largestIndexWords(double index) {
    QString words = QStringLiteral("the largest index it can compute is %1").arg(largestExactIndex);
    if (index != std::floor(index))
        words += QStringLiteral(" (with a fraction, an index below %1)").arg(largestExactIndex - 1);
    return words;
}

QString beyond64BitsWords(double index) {
    return QStringLiteral("The Fibonacci number of index %1 is larger than this calculator can "
                          "hold (64 bits); %2.")
        .arg(platform::numberText(index).trimmed(), largestIndexWords(index));
}

QString unreadableIndexWords(const QString& typed) {
    return QStringLiteral("The index you typed, %1, is too large to read as a number. The "
                          "largest index this calculator can compute is %2.")
        .arg(platform::quoteTyped(typed))
        .arg(largestExactIndex);
}

} // namespace tessaly
