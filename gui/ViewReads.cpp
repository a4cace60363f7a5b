#include "gui/ViewReads.h"

#include "db/Error.h"

#include <QLabel>
#include <QPushButton>

namespace tarnwick {

ViewReads::ViewReads(const QString& databasePath) : Path(databasePath) {}

ViewReads::~ViewReads() {
    // No signal now: the window that listens is being taken down.
    if (Current)
        Current->Cancel();
}

void ViewReads::Cancel() {
    if (!Current)
        return;
    Current->Cancel();
    Current.reset();
    ++Generation;
    emit finished();
}

void ViewReads::Launch(Task task) {
    Cancel();
    const quint64 id = ++Generation;
    // Posted to this object, which outlives the thread: the destructor waits for it.
    auto post = [this, id](std::function<void()> call) {
        QMetaObject::invokeMethod(
            this,
            [this, id, call = std::move(call)] {
                if (id == Generation)
                    call();
            },
            Qt::QueuedConnection);
    };
    Current = std::make_shared<ReadControl>([this, post] { post([this] { emit waiting(); }); });
    emit started();
    Thread.Run([path = Path, control = Current, task = std::move(task), post, this] {
        std::function<void()> complete;
        QString failure;
        try {
            SourcesReader reader(path, control.get());
            complete = task(reader);
        } catch (const std::exception& error) {
            failure = MessageOf(error);
        }
        post([this, complete = std::move(complete), failure] {
            Current.reset();
            emit finished();
            if (complete)
                complete();
            else
                emit failed(failure);
        });
    });
}

void ShowReads(ViewReads& reads, QWidget* window, QLabel* status, QPushButton* cancel) {
    cancel->hide();
    QObject::connect(&reads, &ViewReads::started, window, [=] {
        window->setCursor(Qt::BusyCursor);
        status->setText(QStringLiteral("Reading…"));
        cancel->show();
    });
    QObject::connect(&reads, &ViewReads::waiting, status,
                     [status] { status->setText(QStringLiteral("Waiting for the database…")); });
    QObject::connect(&reads, &ViewReads::finished, window, [window, cancel] {
        window->unsetCursor();
        cancel->hide();
    });
    QObject::connect(&reads, &ViewReads::failed, status, &QLabel::setText);
    QObject::connect(cancel, &QPushButton::clicked, &reads, [&reads, status] {
        reads.Cancel();
        status->setText(QStringLiteral("Cancelled."));
    });
}

} // namespace tarnwick
