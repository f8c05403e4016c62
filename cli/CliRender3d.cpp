#include "cli/Cli.h"

namespace orvelle::cli {

int RunRender3d(const CliContext&) {
  return UsageError("this command is not available in this build");
}

}  // namespace orvelle::cli
