#pragma once

#include "gui/CommandThread.h"
#include "view/SourcesReader.h"

#include <QObject>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QWidget;

namespace tarnwick {

// The reads of a view window, on a thread of their own so that the window keeps painting.
// Each read opens the database anew, so it sees what the last batch wrote. A new read
// cancels the one before: only the newest one's outcome comes back.
class ViewReads : public QObject {
    Q_OBJECT
public:
    explicit ViewReads(const QString& databasePath);
    ~ViewReads() override; // cancels the read, and waits until its thread has let go of it

    // Runs `read` on the reading thread; `done` then gets its result on this object's thread.
    template <typename Result>
    void Start(std::function<Result(SourcesReader&)> read, std::function<void(Result)> done) {
        Launch([read = std::move(read), done = std::move(done)](SourcesReader& reader) {
            auto result = std::make_shared<Result>(read(reader));
            return std::function<void()>([done, result] { done(std::move(*result)); });
        });
    }
    void Cancel();
    bool Busy() const { return Current != nullptr; }
    const QString& DatabasePath() const { return Path; }

signals:
    void started();
    void waiting();  // for a lock that another program holds
    void finished(); // done, failed or cancelled
    void failed(const QString& message);

private:
    // Reads on the reading thread; returns what then runs on this object's thread.
    using Task = std::function<std::function<void()>(SourcesReader&)>;
    void Launch(Task task);

    QString Path;
    std::shared_ptr<ReadControl> Current; // of the read that runs
    quint64 Generation = 0;               // of the newest read; older outcomes are dropped
    CommandThread Thread;                 // last: stopped first
};

// Shows the reads on a view window: a busy cursor, "Reading…" or "Waiting for the database…"
// and the Cancel button while one runs, and why one failed.
void ShowReads(ViewReads& reads, QWidget* window, QLabel* status, QPushButton* cancel);

} // namespace tarnwick
