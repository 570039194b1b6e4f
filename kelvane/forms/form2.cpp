#include "kelvane/forms/form2.h"

namespace kelvane {

Form2::Form2() : DrawingForm(QStringLiteral("Display"), 6150, 5460) {
    setScaleMode(platform::Pixels);
}

} // namespace kelvane
