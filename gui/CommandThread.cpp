#include "gui/CommandThread.h"

namespace tarnwick {

CommandThread::CommandThread() : Worker(new QObject) {
    Worker->moveToThread(&Thread);
    Thread.setObjectName(QStringLiteral("tarnwick-commands"));
    Thread.start();
}

CommandThread::~CommandThread() {
    Worker->deleteLater(); // on its thread, before the thread ends
    Thread.quit();
    Thread.wait();
}

void CommandThread::Run(std::function<void()> task) {
    QMetaObject::invokeMethod(Worker, std::move(task), Qt::QueuedConnection);
}

void CommandThread::RunAndWait(std::function<void()> task) {
    QMetaObject::invokeMethod(Worker, std::move(task), Qt::BlockingQueuedConnection);
}

} // namespace tarnwick
