#include "application_start.h"

#include <QByteArray>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace platform {
namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

// A message handler is a plain function: what it needs lives here while the application starts.
struct Start {
    QByteArray failureLine;
    std::vector<HeldMessage> held;
};
Start* current = nullptr;

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", current->failureLine.constData());
        std::fflush(stderr);
        // Half-made Qt objects must not be destroyed, nor the abort that follows reached.
        std::_Exit(1);
    }
    current->held.push_back({type, QByteArray(context.category), text});
}

} // namespace

std::unique_ptr<QApplication> startApplication(int& argc, char** argv, const QString& failureLine) {
    Start start{failureLine.toLocal8Bit(), {}};
    current = &start;
    const QtMessageHandler previous = qInstallMessageHandler(holdMessage);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    current = nullptr;
    for (const HeldMessage& message : start.held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        previous(message.type, context, message.text);
    }
    return application;
}

} // namespace platform
