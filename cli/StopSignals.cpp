#include "cli/StopSignals.h"

#include <QtGlobal>
#include <csignal>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace tarnwick {

namespace {

volatile std::sig_atomic_t Requested = 0;

void Stop(int signal) {
    if (Requested != 0) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    Requested = signal;
#ifdef Q_OS_UNIX
    // Only write() is safe in a signal handler.
    const char notice[] = "\nStopping after the file being written; press Ctrl+C again to stop "
                          "at once.\n";
    [[maybe_unused]] const auto written = ::write(2, notice, sizeof notice - 1);
#endif
}

} // namespace

void InstallStopSignals() {
    std::signal(SIGINT, Stop);
    std::signal(SIGTERM, Stop);
}

int StopSignal() {
    return Requested;
}

} // namespace tarnwick
