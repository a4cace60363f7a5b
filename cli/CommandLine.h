#pragma once

namespace tarnwick {

// The whole of tarnwick-batch: reads the command line, runs the command, returns the exit
// status.
int RunCommandLine(int argc, char** argv);

} // namespace tarnwick
