#pragma once

#include "platform/core/errors.h"

#include <QString>

namespace kelvane {

// The animation's words for a run-time error: what went wrong with the expansion factor or the
// display window, and what to do instead. Empty where the windows have nothing to add.
QString errorWords(const platform::RuntimeError& error);

// The words for an error of a run whose expansion factor was typed as `typed`, wherever it was
// typed; empty where the factor is not what went wrong.
QString factorWords(const QString& typed, platform::ErrorKind kind);

} // namespace kelvane
