// Runs the request that linkgrab-cli's command line describes and writes its results.
#pragma once

#include "tools/linkgrab-cli/cli_options.h"

namespace linkgrab {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitRequestFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitOutputFailed = 3;

// One WebRequest with the options' arguments; returns the exit status.
int RunFetch(const CliOptions& options);

}  // namespace linkgrab
