// orvelle-cli: the viewer's pipeline and pictures without a window.
#pragma once

#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "data/GridDataSet.h"
#include "data/ViewerParams.h"

namespace orvelle {
class OffscreenSurfaceRenderer;
}

namespace orvelle::cli {

// Runs one command line (without the program name). Returns the exit status: 0 success,
// 1 the operation failed (its message on stderr), 2 usage error.
int RunCli(const std::vector<std::string>& args);

// The viewer settings a command works with: the designed window's start values, or a settings
// file (--settings), then the options that override single settings. False after a message.
bool PrepareParams(const CliOptions& options, ViewerParams& params);

// Measures the site figures of slots 0..count-1 as read (MeasureSites), runs the conditioning
// pipeline over the loaded slots as the window's open path does (file: `count` slots; clipboard
// text: all ten), then gives the --type slot the --range colour range when one is asked for.
// Returns 1, or -1 after a message.
int ConditionLoaded(const CliOptions& options, const ViewerParams& params, GridDataSet* sets,
                    int count);

// Everything a command needs: options, settings, the ten data sets and the number of types,
// and for a process that draws many 3D views the OpenGL renderer to draw them all with (null:
// the 3D view makes its own).
struct CliContext {
  const CliOptions& options;
  ViewerParams& params;
  GridDataSet* sets;
  int count;
  OffscreenSurfaceRenderer* surface = nullptr;
};

// The commands. Each returns the exit status.
int RunInfo(const CliContext& context);
int RunGrid(const CliContext& context);
int RunRender2d(const CliContext& context);         // --view colormap | contour
int RunRenderLineGraph(const CliContext& context);  // --view linegraph
int RunRender3d(const CliContext& context);         // --view 3d
int RunRoi(const CliContext& context);
// diff: reads options.file (A) and options.other (B) itself and writes the THK file of A - B.
int RunDiff(const CliOptions& options);

// Prints "orvelle-cli: <reason>" and the usage line to stderr; returns 2.
int UsageError(const std::string& reason);

// Writes a whole output file ("-" is standard output) through a temporary file and a rename, so
// a failed run never leaves a truncated file. False after "File open error. -> path" when the
// file cannot be created, or "File write error. -> path" when its bytes do not all reach it.
bool WriteOutput(const std::string& path, const std::string& bytes);

// While a sink is set, what the commands write to standard output is appended to it instead (a
// report worker keeps each picture in memory); nullptr restores standard output.
void SetStandardOutputSink(std::string* sink);

}  // namespace orvelle::cli
