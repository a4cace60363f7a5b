#pragma once

#include "cli/Command.h"

namespace tarnwick {

// hourly and quarterly: opens the database, then runs the batch over the folder prefix exactly
// as given, with --recursive and --changed-only. Ctrl+C or SIGTERM stops it after the file
// being written.
int RunHourly(const CommandCall& call);
int RunQuarterly(const CommandCall& call);

// init: creates the five tables of a new Sources database.
int RunInit(const CommandCall& call);

// counts: prints the five row counts, one per line, with the window's captions.
int RunCounts(const CommandCall& call);

// loads: prints LOADS as an aligned table, oldest first.
int RunLoads(const CommandCall& call);

} // namespace tarnwick
