#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace tessaly {

// How many counted calls a run has made. It is kept as the calls still to go until the next
// event dispatch, so that counting a call costs one decrement and the dispatch test comes with
// it. Being 64 bits wide it does not overflow: at a billion calls a second that would take
// centuries.
class CallCount {
  public:
    // One event dispatch per this many counted calls.
    static constexpr std::int64_t pace = 10000;

    CallCount& operator=(std::int64_t calls) {
        const std::int64_t past = ((calls % pace) + pace) % pace;
        paced_ = calls - past;
        untilDispatch_ = pace - past;
        return *this;
    }
    operator std::int64_t() const { return paced_ + (pace - untilDispatch_); }

    // The recursion keeps the countdown in a register and hands it back only where the count
    // can be read: at a dispatch and when a computation returns.
    std::int64_t untilDispatch() const { return untilDispatch_; }
    void setUntilDispatch(std::int64_t calls) { untilDispatch_ = calls; }
    // The countdown has run out: the count stands on a multiple of the pace.
    void reachPace() {
        paced_ += pace;
        untilDispatch_ = pace;
    }

  private:
    std::int64_t paced_ = 0;
    std::int64_t untilDispatch_ = pace;
};

// The input that the overflow of a Fibonacci number beyond 64 bits names, with the index as its
// value.
inline constexpr QStringView indexInput = u"index";

// The event dispatch that the recursion yields to once every CallCount::pace counted calls.
using Yield = void (*)();

// The Fibonacci number of n by double recursion, counting the calls in count and yielding once
// every CallCount::pace counted calls; gives up once cancel is 1, which only a yield can set,
// and then returns a partial sum that means nothing. An index whose number exceeds 64 bits is
// the overflow error before any call is counted.
std::int64_t countedFibonacci(double n, const std::int16_t& cancel, CallCount& count, Yield yield);

// Whether the Fibonacci number of index n needs more than 64 bits, which countedFibonacci refuses
// before it counts a call: a whole index above 92, or one with a fraction from 91 on (k + f gives
// F(k + 2)); and an index that is no number at all.
bool beyond64Bits(double n);

// The calls countedFibonacci counts for n, known before it starts: F(n + 1) - 1 for a whole index
// n >= 2, F(k + 2) - 1 for a fractional k + f above 1, 0 at or below 1. Exact, in 64 unsigned
// bits, which hold it for every index whose number fits (F(93) - 1 for index 92); no value
// beyond, where countedFibonacci makes no call.
std::optional<std::uint64_t> countedCalls(double n);

// "the largest index it can compute is 92", with the bound of an index with a fraction where the
// index has one.
QString largestIndexWords(double index);

// What the calculator says of an index whose Fibonacci number needs more than 64 bits, in the
// window and on the command line alike.
QString beyond64BitsWords(double index);

// What it says of an index typed with more digits than a number holds.
QString unreadableIndexWords(const QString& typed);

} // namespace tessaly
