#pragma once

#include "platform/core/errors.h"

#include <QString>

namespace kelvane {

// The animation's words for a run-time error: what went wrong with the expansion factor or the
// display window, and what to do instead. Empty where the windows have nothing to add.
QString errorWords(const platform::RuntimeError& error);

} // namespace kelvane
