#include "cli/Cli.h"

namespace orvelle::cli {

int RunRenderLineGraph(const CliContext&) {
  return UsageError("this command is not available in this build");
}

}  // namespace orvelle::cli
