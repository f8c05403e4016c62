#include "cli/Cli.h"

#include <cstdio>
#include <cstring>

#include "cli/CliReport.h"
#include "data/AtomicFile.h"
#include "data/Message.h"
#include "data/NumberText.h"
#include "data/ThkFormat.h"

namespace orvelle::cli {
namespace {

std::string* standardOutputSink = nullptr;

bool ReadStandardInput(std::string& text) {
  char buffer[1 << 16];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) text.append(buffer, n);
  return !std::ferror(stdin);
}

int LoadInput(const CliOptions& o, GridDataSet* sets) {
  if (o.file != "-") return LoadThkFile(o.file, sets);
  std::string text;
  if (!ReadStandardInput(text) || text.empty()) {
    ShowMessage("Data nothing on Clipboard.");
    return -1;
  }
  return ParseThkText(text, sets);
}

}  // namespace

int UsageError(const std::string& reason) {
  std::fprintf(stderr, "orvelle-cli: %s\n", reason.c_str());
  const char* usage = CliUsage();
  std::fprintf(stderr, "%.*s\nTry 'orvelle-cli --help' for more.\n",
               static_cast<int>(std::strcspn(usage, "\n")), usage);
  return 2;
}

void SetStandardOutputSink(std::string* sink) { standardOutputSink = sink; }

bool WriteOutput(const std::string& path, const std::string& bytes) {
  if (path == "-" && standardOutputSink != nullptr) {
    standardOutputSink->append(bytes);
    return true;
  }
  if (path == "-") {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
      ShowMessage("File write error. -> " + path);
      return false;
    }
    return true;
  }
  WriteFailure failure;
  if (!WriteFileAtomically(path, bytes, failure)) {
    ShowMessage((failure == WriteFailure::Open ? "File open error. -> " : "File write error. -> ") +
                path);
    return false;
  }
  return true;
}

int RunCli(const std::vector<std::string>& args) {
  if (!args.empty() && args[0] == "report") return RunReport({args.begin() + 1, args.end()});
  if (!args.empty() && args[0] == kReportWorkerCommand) {
    return RunReportWorker({args.begin() + 1, args.end()});
  }
  CliOptions options;
  bool help = false;
  std::string error;
  if (!ParseCliOptions(args, options, help, error)) return UsageError(error);
  if (help) {
    std::fputs(CliUsage(), stdout);
    return 0;
  }
  if (options.version) {
    std::fputs(CliVersion(), stdout);
    return 0;
  }

  SetMessageHandler([](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
  if (options.command == "diff") return RunDiff(options);
  ViewerParams params;
  if (!PrepareParams(options, params)) return 1;
  auto sets = MakeDataSets();
  const int count = LoadInput(options, sets.get());
  if (count < 0) return 1;
  if (ConditionLoaded(options, params, sets.get(), count) < 0) return 1;
  if (params.normEnable) sets[0].normDivisor = params.normValue;
  if (options.type >= count) {
    ShowMessage("Data type " + std::to_string(options.type) + " does not exist: the data hold " +
                std::to_string(count) + " type(s), numbered from 0.");
    return 1;
  }

  const CliContext context{options, params, sets.get(), count};
  if (options.command == "info") return RunInfo(context);
  if (options.command == "grid") return RunGrid(context);
  if (options.command == "roi") return RunRoi(context);
  if (options.view == "linegraph") return RunRenderLineGraph(context);
  if (options.view == "3d") return RunRender3d(context);
  return RunRender2d(context);
}

}  // namespace orvelle::cli
