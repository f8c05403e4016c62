#include <clocale>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "data/Platform.h"

int main(int argc, char** argv) {
  // Honour the user's locale as any program would; the readers and writers do not depend on it.
  std::setlocale(LC_ALL, "");
  orvelle::UseBinaryStandardStreams();
  return orvelle::cli::RunCli(orvelle::ProgramArguments(argc, argv));
}
