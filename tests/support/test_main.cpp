#include "platform/core/clock.h"
#include "platform/forms/runtime.h"

#include <QApplication>

#include <gtest/gtest.h>

// Every test binary runs inside one application, like the programs do.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    // The system clock waits as in a program with windows.
    platform::SystemClock::setSleeper(platform::pauseUntil);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    platform::resetProgram();
    return result;
}
