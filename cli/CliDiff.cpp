// The diff command: a THK file of the difference (or ratio) of two measurements.
#include <algorithm>
#include <string>

#include "cli/Cli.h"
#include "data/Conditioning.h"
#include "data/Difference.h"
#include "data/Message.h"
#include "data/ThkFormat.h"
#include "data/ThkWriter.h"

namespace orvelle::cli {

int RunDiff(const CliOptions& options) {
  auto a = MakeDataSets();
  const int countA = LoadThkFile(options.file, a.get());
  if (countA < 0) return 1;
  auto b = MakeDataSets();
  const int countB = LoadThkFile(options.other, b.get());
  if (countB < 0) return 1;
  const int common = std::min(countA, countB);
  int first = 0, types = common;
  if (options.typeGiven) {
    if (options.type >= common) {
      ShowMessage("Data type " + std::to_string(options.type) +
                  " does not exist in both files: they share " + std::to_string(common) +
                  " type(s), numbered from 0.");
      return 1;
    }
    first = options.type;
    types = 1;
  }
  long shared = 0;
  bool anyValue = false;
  for (int t = first; t < first + types; ++t) {
    // Between B's lattice points B counts with the window's plain bilinear fill, whatever
    // conditioning options were given; its measured points stay as read.
    FillGaps(b[t]);
    shared += DifferenceDataSet(a[t], b[t], options.ratio);
    ComputeStatistics(a[t]);
    anyValue = anyValue || a[t].pointCount > 0;
  }
  if (shared == 0) {
    ShowMessage("The two files have no point in common.");
    return 1;
  }
  if (!anyValue) {
    ShowMessage("The result holds no value.");
    return 1;
  }
  return WriteOutput(options.output, ThkFileText(a.get() + first, types)) ? 0 : 1;
}

}  // namespace orvelle::cli
