#pragma once

#include "cli/Command.h"

namespace tarnwick {

// export, chart and summary: what was loaded, read back. CSV goes to the --out file or to the
// output stream.
int RunExport(const CommandCall& call);
int RunChart(const CommandCall& call);
int RunSummary(const CommandCall& call);

} // namespace tarnwick
