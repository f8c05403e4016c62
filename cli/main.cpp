#include <clocale>
#include <string>
#include <vector>

#include "cli/Cli.h"

int main(int argc, char** argv) {
  // Honour the user's locale as any program would; the readers and writers do not depend on it.
  std::setlocale(LC_ALL, "");
  return orvelle::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc));
}
