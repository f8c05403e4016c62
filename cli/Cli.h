// orvelle-cli: the viewer's pipeline and pictures without a window.
#pragma once

#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "data/GridDataSet.h"

namespace orvelle::cli {

// Runs one command line (without the program name). Returns the exit status: 0 success,
// 1 the operation failed (its message on stderr), 2 usage error.
int RunCli(const std::vector<std::string>& args);

// The commands, each given the loaded (and conditioned) data sets and the number of types.
int RunInfo(const CliOptions& options, const GridDataSet* sets, int count);
int RunGrid(const CliOptions& options, const GridDataSet* sets, int count);

// Prints "orvelle-cli: <reason>" and the usage line to stderr; returns 2.
int UsageError(const std::string& reason);

// Opens `path` for writing ("-" is standard output); shows "File open error. -> path" on failure.
std::FILE* OpenOutput(const std::string& path);
// Closes what OpenOutput opened; false (after a message) when anything failed to reach the file.
bool CloseOutput(std::FILE* f, const std::string& path);

}  // namespace orvelle::cli
