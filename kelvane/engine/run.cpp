#include "kelvane/engine/module1.h"

#include "platform/core/random.h"
#include "platform/core/text.h"

#include <chrono>
#include <cmath>

namespace kelvane::Module1 {

using platform::checkFloat;
using platform::Colour;

namespace {

constexpr double fullTurn = 6.283185307178;
constexpr double colourRange = 15;
constexpr auto pause = std::chrono::milliseconds(300);

// Ten pixels short of the middle of the drawing area, so that the last ring stays clear of its
// edge.
double largestRadius(double centreY) {
    return checkFloat(centreY - 10);
}

bool isYes(const QString& text) {
    return platform::compareText(text, u"Yes");
}

// The 2 x 2 block of a point, in the order the points are set.
void block(DisplayWindow& display, double x, double y, Colour colour) {
    for (const auto& [dx, dy] : {std::pair{0, 0}, {1, 0}, {0, 1}, {1, 1}})
        display.pset(static_cast<float>(checkFloat(x + dx)), static_cast<float>(checkFloat(y + dy)),
                     colour);
}

// The age at which a particle of speed fraction v is seen: light from the faster ones left
// earlier.
double seenAge(const detail::Run& run, double v) {
    const double f = run.ExpansionFactor;
    return checkFloat(run.Age - (f * run.Age * v) / (v * f + 1), run.Factor);
}

} // namespace

namespace detail {

void DynamicStep(Run& run, DisplayWindow& display) {
    const auto centreX = static_cast<float>(run.CentreX);
    const auto centreY = static_cast<float>(run.CentreY);
    // Overdrawing in bright white rather than the background leaves a trace of every earlier
    // ring and block: that trace is the picture.
    display.circle(centreX, centreY, static_cast<float>(run.PrevRadius),
                   platform::paletteColour(15));
    display.circle(centreX, centreY, static_cast<float>(run.Radius), platform::paletteColour(1));
    run.PrevRadius = run.Radius;

    for (double j = 0; j <= run.ParticleCount; j = checkFloat(j + 1)) {
        const double v = Speed(j);
        const double s = platform::sine(Angle(j));
        PosX(j) = checkFloat(v * run.Radius * s);
        const double c = platform::cosine(Angle(j));
        PosY(j) = checkFloat(v * run.Radius * c);
        const double f = run.ExpansionFactor;
        const double shownDistance = checkFloat((f * run.Radius * v) / (v * f + 1), run.Factor);
        const double age = seenAge(run, v);
        const double b = ColourOrder(checkFloat(platform::floorValue(age) + 1));

        block(display, checkFloat(ShownX(j) + run.CentreX), checkFloat(ShownY(j) + run.CentreY),
              platform::paletteColour(15));
        // Sine with x and cosine with y: direction 0 points straight down the window.
        ShownX(j) = checkFloat(platform::sine(Angle(j)) * shownDistance);
        ShownY(j) = checkFloat(platform::cosine(Angle(j)) * shownDistance);
        run.PointColour = platform::paletteColour(platform::toInt16(b));
        SpectrumColour(colourRange, age, run.PointColour);
        block(display, checkFloat(ShownX(j) + run.CentreX), checkFloat(ShownY(j) + run.CentreY),
              run.PointColour);
    }
}

void StaticStep(Run& run, DisplayWindow& display) {
    for (double j = 0; j <= run.ParticleCount; j = checkFloat(j + 1)) {
        // PointColour is deliberately not reset: where the ramp leaves it alone the point takes
        // the colour of the one before.
        SpectrumColour(colourRange, seenAge(run, Speed(j)), run.PointColour);
        block(display, PosX(j), PosY(j), run.PointColour);
    }
}

bool SetupRun(Run& run, const Host& host) {
    run.Factor = {QStringLiteral("expansion factor"), host.control.factorText(), {}};
    run.ExpansionFactor = platform::leadingNumber(run.Factor.typed, run.Factor.input);
    if (!(run.ExpansionFactor > 0)) {
        // Checked before anything is cleared: a run under way keeps its picture, and legend,
        // texts and tables stay as they were.
        host.warn(nonPositiveFactorMessage());
        return false;
    }

    host.display.cls();
    SetupParameters(host.display);

    for (double i = 1; i <= 15; i = checkFloat(i + 1)) {
        SpectrumColour(colourRange, i, run.PointColour);
        host.control.setSwatchColour(platform::toInt16(i), run.PointColour);
    }

    for (double j = 0; j <= run.ParticleCount; j = checkFloat(j + 1)) {
        if (isYes(host.control.dynamicText())) {
            // A random number is drawn even when it is replaced, so that both kinds of direction
            // leave the random sequence at the same place.
            Angle(j) = checkFloat(platform::nextRandom() * fullTurn);
            if (platform::compareText(host.control.randomText(), u"No"))
                Angle(j) = checkFloat(j / run.ParticleCount * fullTurn);
        } else {
            PosX(j) = checkFloat(platform::nextRandom() * ExtentWidth);
            PosY(j) = checkFloat(platform::nextRandom() * ExtentHeight);
        }
        Speed(j) = checkFloat(j * 0.99 / run.ParticleCount + 0.01);
    }

    run.CentreX = checkFloat(ExtentWidth / 2);
    run.CentreY = checkFloat(ExtentHeight / 2);
    run.MaxRadius = largestRadius(run.CentreY);
    run.AgeScale = checkFloat(run.MaxRadius / 15);
    return true;
}

} // namespace detail

QString nonPositiveFactorMessage() {
    return QStringLiteral("The expansion factor (Exp Factor) must be a number greater than 0.");
}

int stepCount(double extentHeight) {
    // As the run counts them: from a radius of 1 for as long as it is at most the largest.
    const double maxRadius = largestRadius(checkFloat(extentHeight / 2));
    return maxRadius < 1 ? 0 : static_cast<int>(std::floor(maxRadius));
}

void RunExpansion(const Host& host) {
    detail::Run run;
    if (!detail::SetupRun(run, host))
        return;

    for (run.Radius = 1; run.Radius <= run.MaxRadius; run.Radius = checkFloat(run.Radius + 1)) {
        // The monotonic clock, so that a step begun just before midnight still ends its pause;
        // sleeping rather than polling keeps the processor free. The windows still repaint and
        // answer a screen reader meanwhile; clicks and keys wait for the dispatch below.
        const auto begun = host.clock.monotonic();
        run.Age = checkFloat(run.Radius / run.AgeScale);
        host.clock.sleepUntil(begun + pause);

        if (isYes(host.control.dynamicText()))
            detail::DynamicStep(run, host.display);
        else
            detail::StaticStep(run, host.display);

        // The age cut down, not rounded, to two decimals.
        host.control.setAgeText(platform::numberText(
            checkFloat(platform::floorValue(checkFloat(run.Age * 100)) / 100)));
        host.dispatchEvents();
    }
}

} // namespace kelvane::Module1
