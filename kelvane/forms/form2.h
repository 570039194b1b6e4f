#pragma once

#include "platform/forms/surface.h"

namespace kelvane {

// The display window the animation draws on, in pixels of its client area.
class Form2 : public platform::DrawingForm {
    Q_OBJECT

  public:
    Form2();
};

} // namespace kelvane
