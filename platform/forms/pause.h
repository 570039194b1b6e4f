#pragma once

#include <chrono>

namespace platform {

// Waits, asleep, until the steady clock reaches the deadline, while the window system's own
// traffic goes on: paints and exposes, timers and the accessibility bus, so that the windows
// repaint and a screen reader is answered. Clicks and keys stay queued for the next
// dispatchEvents, and so does a button pressed through the accessibility interface: no handler of
// the programs runs before that dispatch. Throws ProgramEnded when the program ended meanwhile
// (its start-up window was closed). Without an application on this thread it only sleeps.
void pauseUntil(std::chrono::steady_clock::time_point deadline);

} // namespace platform
