#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>

struct pg_cancel;

namespace tarnwick {

class DatabaseConnection;

// How another thread stops a read in progress, and how the reading thread tells that it waits
// for a lock. One per read; a reader attaches to it while its connection is open.
class ReadControl {
public:
    // `waiting` is called on the reading thread when a statement starts waiting for a lock.
    explicit ReadControl(std::function<void()> waiting = {}) : Waiting(std::move(waiting)) {}
    ~ReadControl();
    ReadControl(const ReadControl&) = delete;
    ReadControl& operator=(const ReadControl&) = delete;

    // From any thread: the statement that runs stops, and every later one fails at once.
    void Cancel();
    bool Cancelled() const { return IsCancelled; }

    // On the reading thread, while `connection` is open: its statements wait for a lock, tell
    // that they do, and stop on a cancel, until Detach.
    void Attach(DatabaseConnection& connection);
    void Detach();

private:
    static int WaitForLock(void* control, int attempt);
    static int StopWhenCancelled(void* control);

    std::function<void()> Waiting;
    std::atomic<bool> IsCancelled{false};
    std::mutex Lock;               // a Cancel against the connection's close
    pg_cancel* Postgres = nullptr; // libpq's own way to stop a query from another thread
    std::chrono::steady_clock::time_point WaitStart;
    bool WaitTold = false;
};

} // namespace tarnwick
