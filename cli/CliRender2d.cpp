#include "cli/Cli.h"

namespace orvelle::cli {

int RunRender2d(const CliContext&) {
  return UsageError("this command is not available in this build");
}

}  // namespace orvelle::cli
