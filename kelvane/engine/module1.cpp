#include "kelvane/engine/module1.h"

#include "platform/core/scale_mode.h"

namespace kelvane::Module1 {

platform::Table<double, 0, 16> ColourOrder;
double ExtentWidth = 0;
double ExtentHeight = 0;
ParticleTable Speed;
ParticleTable Angle;
ParticleTable PosX;
ParticleTable PosY;
ParticleTable ShownX;
ParticleTable ShownY;

void reset() {
    ColourOrder.fill(0);
    ExtentWidth = 0;
    ExtentHeight = 0;
    for (ParticleTable* table : {&Speed, &Angle, &PosX, &PosY, &ShownX, &ShownY})
        table->fill(0);
}

void SetupParameters(const DisplayWindow& display) {
    for (double i = 0; i <= 15; i = platform::checkFloat(i + 1))
        ColourOrder(i) = i;
    // Two pairs swapped so that neighbouring age bands differ more; the extra entry serves an age
    // of exactly 15.
    ColourOrder(16) = 15;
    ColourOrder(3) = 4;
    ColourOrder(4) = 3;
    ColourOrder(11) = 12;
    ColourOrder(12) = 11;
    SetupExtent(display);
}

void SetupExtent(const DisplayWindow& display) {
    ExtentWidth = display.widthTwips();
    ExtentHeight = display.heightTwips();
    if (display.scaleMode() == platform::Pixels)
        ExtentWidth = display.scaleWidth();
    if (display.scaleMode() == platform::Pixels)
        ExtentHeight = display.scaleHeight();
}

} // namespace kelvane::Module1
