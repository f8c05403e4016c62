// Conditioning of the loaded data for the command line.
#include "cli/Cli.h"

namespace orvelle::cli {

int ConditionLoaded(const CliOptions&, const ViewerParams&, GridDataSet*, int) { return 1; }

}  // namespace orvelle::cli
