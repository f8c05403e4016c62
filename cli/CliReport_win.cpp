#include <cstdio>

#include "cli/CliReport.h"

namespace orvelle::cli {
namespace {

int NotAvailable() {
  std::fputs("orvelle-cli: report is not available on Windows yet\n", stderr);
  return 1;
}

}  // namespace

int RunReport(const std::vector<std::string>&) { return NotAvailable(); }

int RunReportWorker(const std::vector<std::string>&) { return NotAvailable(); }

}  // namespace orvelle::cli
