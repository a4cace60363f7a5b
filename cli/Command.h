#pragma once

#include <QStringList>
#include <ostream>

class QCommandLineParser;

namespace tarnwick {

// The runner's exit statuses. An extraction stopped by a signal exits with 128 + the signal, as
// the shell reports it.
enum ExitStatus : int {
    ExitSucceeded = 0,
    ExitFailed = 1,
    ExitUsageError = 2,
    ExitStoppedBySignal = 128
};

// One command as the command line gave it: its operands after the command's name, and the
// parsed options. A command throws Error of kind Request for a usage error, which exits with 2.
struct CommandCall {
    const QCommandLineParser& Options;
    QStringList Operands; // DB first
    std::ostream& Out;
    std::ostream& Err;
};

} // namespace tarnwick
