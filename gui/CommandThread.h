#pragma once

#include <QObject>
#include <QThread>
#include <functional>

namespace tarnwick {

// A thread of its own for the commands that work on the database, so that the window keeps
// painting and answering while they run. Tasks run one after the other in the order given;
// whatever a task creates there (a database connection) stays with the thread.
class CommandThread {
public:
    CommandThread();
    ~CommandThread(); // waits for the task that runs

    void Run(std::function<void()> task);
    // Runs `task` there and waits for it: for what must happen on the thread, such as closing
    // the database it opened.
    void RunAndWait(std::function<void()> task);

private:
    QThread Thread;
    QObject* Worker; // lives on Thread, which deletes it; tasks are queued to it
};

} // namespace tarnwick
