#pragma once

namespace tarnwick {

// SIGINT and SIGTERM ask an extraction to stop after the file being written: the first one
// is noted and answered on the terminal, a second one ends the program at once, where the
// database rolls back the file's open transaction.
void InstallStopSignals();

// The signal that asked to stop, or 0.
int StopSignal();

} // namespace tarnwick
