#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace tessaly::command_line {

// Of the seconds of the cycles done: the mean, the sample standard deviation (0 for one cycle),
// the fastest, the slowest and the median.
struct Statistics {
    double mean = 0;
    double standardDeviation = 0;
    double min = 0;
    double max = 0;
    double median = 0;
};

// None for no cycles.
std::optional<Statistics> statistics(const std::vector<double>& seconds);

// What one counted call costs at the mean seconds of a cycle.
struct CallCost {
    double nanosecondsPerCall = 0;
    double callsPerSecond = 0;
};

// None where a cycle makes no counted call, or took no measurable time.
std::optional<CallCost> callCost(double meanSeconds, std::uint64_t callsPerCycle);

// Cycles scattered so widely that their mean misleads: a standard deviation above this share of
// the mean. Timing the same work again on an idle machine stays well inside it.
inline constexpr double widestRelativeSpread = 0.05;
// A cycle this many interquartile ranges beyond the nearer quartile is an outlier, the far-out
// fence of a box plot, where it is also further than widestRelativeSpread of the median from it:
// cycles that agree to a fraction of a percent have a narrow fence that a cycle a percent off
// crosses without moving the mean. Fewer cycles than outlierCycles have no quartiles worth the
// name.
inline constexpr double outlierFence = 3;
inline constexpr std::size_t outlierCycles = 4;

// How the cycles scatter, and whether their mean misleads for it.
struct Scatter {
    double relativeSpread = 0; // standard deviation over the mean; 0 without one
    int outliers = 0;
    bool misleads() const { return relativeSpread > widestRelativeSpread || outliers > 0; }
};
Scatter scatter(const std::vector<double>& seconds);

// Whether two sets of cycles differ: below this p-value they do.
inline constexpr double significanceLevel = 0.05;

// Welch's t-test of two samples whose spreads need not be equal: the statistic (positive where
// the first mean is the larger), the Welch-Satterthwaite degrees of freedom, and the two-sided
// p-value from Student's t distribution.
struct WelchTest {
    double t = 0;
    double degreesOfFreedom = 0;
    double p = 1;
    bool significant() const { return p < significanceLevel; }
};

// Why no test can be made.
enum class NoTest { TooFewCycles, NoSpread };

// Needs two cycles or more in each sample and some spread in one of them.
struct WelchOutcome {
    std::optional<WelchTest> test;
    NoTest noTest = NoTest::TooFewCycles; // where there is no test
};
WelchOutcome welchTest(const std::vector<double>& first, const std::vector<double>& second);

// The two-sided p-value of a t statistic with the degrees of freedom.
double twoSidedP(double t, double degreesOfFreedom);

// How many times faster the second sample's mean is than the first's (below 1: slower), with the
// standard uncertainty of the ratio from the standard errors of the two means. None where a mean
// is not above 0.
struct SpeedRatio {
    double ratio = 1;
    double uncertainty = 0;
};
std::optional<SpeedRatio> speedRatio(const std::vector<double>& baseline,
                                     const std::vector<double>& run);

} // namespace tessaly::command_line
