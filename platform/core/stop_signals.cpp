#include "platform/core/stop_signals.h"

namespace platform {
namespace {

volatile std::sig_atomic_t caughtSignal = 0;

extern "C" void noteSignal(int number) {
    caughtSignal = number;
}

} // namespace

StopSignals::StopSignals() {
    caughtSignal = 0;
    struct sigaction action {};
    action.sa_handler = noteSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < 2; ++i) {
        sigaction(signals_[i], nullptr, &previous_[i]);
        if (previous_[i].sa_handler != SIG_IGN)
            sigaction(signals_[i], &action, nullptr);
    }
}

StopSignals::~StopSignals() {
    for (int i = 0; i < 2; ++i)
        sigaction(signals_[i], &previous_[i], nullptr);
}

int StopSignals::caught() {
    return caughtSignal;
}

} // namespace platform
