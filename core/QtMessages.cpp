#include "core/QtMessages.h"

#include <QtGlobal>
#include <atomic>

namespace tarnwick {

namespace {

std::atomic<bool> ShowAllMessages{false};
QtMessageHandler QtHandler = nullptr;

void HandleMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg || ShowAllMessages.load())
        QtHandler(type, context, text);
}

} // namespace

void FilterQtMessages(bool verbose) {
    ShowAllMessages.store(verbose);
    if (!QtHandler)
        QtHandler = qInstallMessageHandler(HandleMessage);
}

} // namespace tarnwick
