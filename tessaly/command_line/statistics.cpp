#include "tessaly/command_line/statistics.h"

#include <boost/math/distributions/students_t.hpp>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tessaly::command_line {
namespace {

// The quantile of sorted values by linear interpolation between the two nearest ranks.
double quantile(const std::vector<double>& sorted, double share) {
    const double rank = share * static_cast<double>(sorted.size() - 1);
    const auto below = static_cast<std::size_t>(std::floor(rank));
    const std::size_t above = std::min(below + 1, sorted.size() - 1);
    return sorted[below] + (rank - static_cast<double>(below)) * (sorted[above] - sorted[below]);
}

double mean(const std::vector<double>& values) {
    return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

// The sample variance; 0 for one value.
double variance(const std::vector<double>& values, double mean) {
    if (values.size() < 2)
        return 0;
    double squares = 0;
    for (const double v : values)
        squares += (v - mean) * (v - mean);
    return squares / static_cast<double>(values.size() - 1);
}

} // namespace

std::optional<Statistics> statistics(const std::vector<double>& seconds) {
    if (seconds.empty())
        return std::nullopt;
    Statistics result;
    result.mean = mean(seconds);
    result.standardDeviation = std::sqrt(variance(seconds, result.mean));
    std::vector<double> sorted = seconds;
    std::sort(sorted.begin(), sorted.end());
    result.min = sorted.front();
    result.max = sorted.back();
    result.median = quantile(sorted, 0.5);
    return result;
}

std::optional<CallCost> callCost(double meanSeconds, std::uint64_t callsPerCycle) {
    if (callsPerCycle == 0 || !(meanSeconds > 0) || !std::isfinite(meanSeconds))
        return std::nullopt;
    const auto calls = static_cast<double>(callsPerCycle);
    return CallCost{.nanosecondsPerCall = meanSeconds / calls * 1e9,
                    .callsPerSecond = calls / meanSeconds};
}

Scatter scatter(const std::vector<double>& seconds) {
    Scatter result;
    const std::optional<Statistics> s = statistics(seconds);
    if (!s)
        return result;
    if (s->mean > 0)
        result.relativeSpread = s->standardDeviation / s->mean;
    if (seconds.size() < outlierCycles)
        return result;
    std::vector<double> sorted = seconds;
    std::sort(sorted.begin(), sorted.end());
    const double lower = quantile(sorted, 0.25);
    const double upper = quantile(sorted, 0.75);
    const double reach = outlierFence * (upper - lower);
    const double near = widestRelativeSpread * s->median;
    result.outliers = static_cast<int>(std::count_if(sorted.begin(), sorted.end(), [&](double v) {
        return (v < lower - reach || v > upper + reach) && std::abs(v - s->median) > near;
    }));
    return result;
}

double twoSidedP(double t, double degreesOfFreedom) {
    if (std::isnan(t) || !(degreesOfFreedom > 0))
        return 1;
    if (std::isinf(t))
        return 0;
    const boost::math::students_t distribution(degreesOfFreedom);
    return std::min(1.0, 2 * boost::math::cdf(boost::math::complement(distribution, std::abs(t))));
}

WelchOutcome welchTest(const std::vector<double>& first, const std::vector<double>& second) {
    if (first.size() < 2 || second.size() < 2)
        return {.test = std::nullopt, .noTest = NoTest::TooFewCycles};
    const double firstMean = mean(first);
    const double secondMean = mean(second);
    // Each mean's squared standard error.
    const double a = variance(first, firstMean) / static_cast<double>(first.size());
    const double b = variance(second, secondMean) / static_cast<double>(second.size());
    if (!(a + b > 0))
        return {.test = std::nullopt, .noTest = NoTest::NoSpread};
    WelchTest test;
    test.t = (firstMean - secondMean) / std::sqrt(a + b);
    test.degreesOfFreedom = (a + b) * (a + b) /
                            (a * a / static_cast<double>(first.size() - 1) +
                             b * b / static_cast<double>(second.size() - 1));
    test.p = twoSidedP(test.t, test.degreesOfFreedom);
    return {.test = test};
}

std::optional<SpeedRatio> speedRatio(const std::vector<double>& baseline,
                                     const std::vector<double>& run) {
    const std::optional<Statistics> before = statistics(baseline);
    const std::optional<Statistics> now = statistics(run);
    if (!before || !now || !(before->mean > 0) || !(now->mean > 0))
        return std::nullopt;
    const auto relativeError = [](const Statistics& s, std::size_t count) {
        return s.standardDeviation / std::sqrt(static_cast<double>(count)) / s.mean;
    };
    SpeedRatio result;
    result.ratio = before->mean / now->mean;
    result.uncertainty = result.ratio * std::hypot(relativeError(*before, baseline.size()),
                                                   relativeError(*now, run.size()));
    return result;
}

} // namespace tessaly::command_line
