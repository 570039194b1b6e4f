#pragma once

#include "platform/core/errors.h"

#include <QString>

namespace tessaly {

// The calculator's words for a run-time error: what went wrong with the index or the number of
// cycles in the window, and what to type instead. Empty where the window has nothing to add.
QString errorWords(const platform::RuntimeError& error);

} // namespace tessaly
