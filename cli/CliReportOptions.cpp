// Command line of orvelle-cli report: its own options, and the pipeline and ROI options of the
// other commands checked by the very parser those commands use.
#include <charconv>
#include <thread>

#include "cli/CliReport.h"
#include "cli/ReportProcess.h"

namespace orvelle::cli {
namespace {

constexpr int kMaxJobs = 256;
constexpr int kColorMapSide = 301;

bool TakesValue(const std::string& name) {
  static const char* const kNames[] = {"--type",     "--roi1",       "--roi2",      "--settings",
                                       "--spline",   "--filter",     "--normalize", "--roi-type",
                                       "--roi-size", "--roi-digits", "--range"};
  for (const char* n : kNames) {
    if (name == n) return true;
  }
  return false;
}

// K/N with 1 <= K <= N.
bool ParseShard(const std::string& value, int& shard, int& shards) {
  const size_t slash = value.find('/');
  if (slash == std::string::npos) return false;
  const char* p = value.data();
  const auto k = std::from_chars(p, p + slash, shard);
  const auto n = std::from_chars(p + slash + 1, p + value.size(), shards);
  return k.ec == std::errc() && k.ptr == p + slash && n.ec == std::errc() &&
         n.ptr == p + value.size() && shard >= 1 && shard <= shards;
}

// Options that a shard cannot honour alone, since each shard sees only its own block: empty,
// or why the pair is refused.
std::string ShardConflict(const ReportOptions& o) {
  if (o.watchDir) return "--shard splits a list of files, not a watched folder";
  if (o.commonRange)
    return "--common-range with --shard would find each shard's own range: give the scale with "
           "--range MIN,MAX";
  return {};
}

int DefaultJobs() {
  const int n = ReportProcessorCount();
  if (n >= 1) return std::min(n, kMaxJobs);
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

}  // namespace

bool ParseReportOptions(const std::vector<std::string>& args, ReportOptions& o, bool& help,
                        std::string& error) {
  help = false;
  o.jobs = DefaultJobs();
  bool typeGiven = false;
  bool outGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg == "-h" || arg == "--help") {
      help = true;
      return true;
    }
    if (arg.empty() || arg[0] != '-' || arg == "-") {
      if (arg == "-") return error = "report reads files, not standard input", false;
      o.files.push_back(arg);
      continue;
    }
    std::string value;
    bool inlineValue = false;
    if (const size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      inlineValue = true;
    }
    const bool flag = arg == "--all-types" || arg == "--quiet" || arg == "--no-fill" ||
                      arg == "--resume" || arg == "--merge" || arg == "--common-range";
    if (flag) {
      if (inlineValue) return error = arg + " takes no value", false;
      if (arg == "--all-types") {
        o.allTypes = true;
        o.passOn.push_back(arg);
      } else if (arg == "--quiet") {
        o.quiet = true;
      } else if (arg == "--resume") {
        o.resume = true;
      } else if (arg == "--merge") {
        o.merge = true;
      } else if (arg == "--common-range") {
        o.commonRange = true;
        o.passOn.push_back(arg);
      } else {
        o.passOn.push_back(arg);
      }
      continue;
    }
    const bool own = arg == "-o" || arg == "--output" || arg == "--jobs" || arg == "--page" ||
                     arg == "--watch" || arg == "--settle" || arg == "--timeout" ||
                     arg == "--shard" || arg == kRunRangeOption;
    if (!own && !TakesValue(arg)) {
      if (arg == "--view" || arg == "--size")
        return error = arg + " is not an option of report", false;
      return error = "unknown option " + arg, false;
    }
    if (!inlineValue) {
      if (i + 1 >= args.size()) return error = arg + " needs a value", false;
      value = args[++i];
    }
    const std::string bad = "invalid value for " + arg + ": '" + value + "'";
    if (arg == "-o" || arg == "--output") {
      if (value.empty()) return error = bad, false;
      o.outDir = value;
      outGiven = true;
    } else if (arg == "--jobs") {
      int n = 0;
      const char* end = value.data() + value.size();
      const auto r = std::from_chars(value.data(), end, n);
      if (r.ec != std::errc() || r.ptr != end || n < 1 || n > kMaxJobs)
        return error = bad + " (1.." + std::to_string(kMaxJobs) + ")", false;
      o.jobs = n;
    } else if (arg == "--page") {
      if (value != "a4" && value != "letter") return error = bad + " (a4 or letter)", false;
      o.letter = value == "letter";
      o.passOn.push_back("--page");
      o.passOn.push_back(value);
    } else if (arg == "--watch") {
      if (value.empty()) return error = bad, false;
      o.watchDir = value;
    } else if (arg == "--shard") {
      if (!ParseShard(value, o.shard, o.shards)) return error = bad + " (K/N, 1 <= K <= N)", false;
    } else if (arg == "--settle") {
      double s = 0;
      const char* end = value.data() + value.size();
      const auto r = std::from_chars(value.data(), end, s);
      if (value.empty() || r.ec != std::errc() || r.ptr != end || !(s >= 0 && s <= 3600))
        return error = bad + " (0..3600 seconds)", false;
      o.settleSeconds = s;
    } else if (arg == kRunRangeOption) {
      if (!DecodeRunRange(value, o.runRanges)) return error = bad, false;
    } else if (arg == "--timeout") {
      double s = 0;
      const char* end = value.data() + value.size();
      const auto r = std::from_chars(value.data(), end, s);
      if (value.empty() || r.ec != std::errc() || r.ptr != end || !(s > 0 && s <= 1e6))
        return error = bad + " (seconds above 0)", false;
      o.timeoutSeconds = s;
    } else {
      typeGiven = typeGiven || arg == "--type";
      o.passOn.push_back(arg);
      o.passOn.push_back(value);
    }
  }

  // The shared options are checked, and read, by the parser of the other commands.
  std::vector<std::string> shared = {"info", "report"};
  for (size_t i = 0; i < o.passOn.size(); ++i) {
    if (o.passOn[i] == "--all-types" || o.passOn[i] == "--common-range") continue;
    if (o.passOn[i] == "--page") {
      ++i;
      continue;
    }
    shared.push_back(o.passOn[i]);
  }
  bool sharedHelp = false;
  if (!ParseCliOptions(shared, o.cli, sharedHelp, error)) return false;
  o.cli.command = "report";

  if (typeGiven && o.allTypes) return error = "--type and --all-types exclude each other", false;
  if (o.cli.range && o.allTypes)
    return error = "--range and --all-types exclude each other (types differ in units)", false;
  if (o.cli.range && o.commonRange)
    return error = "--range and --common-range exclude each other", false;
  if (o.commonRange && o.watchDir)
    return error = "--common-range needs the whole run at the start, not --watch", false;
  if (!outGiven) return error = "report needs -o DIR", false;
  if (o.merge) {
    // The shards carry the options of the run; a merge takes none of its own.
    if (!o.passOn.empty() || o.watchDir || o.shards > 0 || o.resume)
      return error = "report --merge takes the shard folders, -o DIR and --quiet only", false;
    if (o.files.empty()) return error = "report --merge needs the shard folders", false;
    return true;
  }
  if (o.shards > 0) {
    if (const std::string why = ShardConflict(o); !why.empty()) return error = why, false;
  }
  if (o.watchDir && !o.files.empty())
    return error = "report --watch takes a folder, not FILE arguments", false;
  if (!o.watchDir && o.files.empty()) return error = "report needs a FILE or --watch INDIR", false;
  const std::optional<PixelPoint> points[2] = {o.cli.roi1, o.cli.roi2};
  for (int k = 0; k < 2; ++k) {
    const auto& p = points[k];
    if (p && (p->x < 0 || p->y < 0 || p->x >= kColorMapSide || p->y >= kColorMapSide)) {
      return error = "--roi" + std::to_string(k + 1) +
                     " must be a pixel of the 301 x 301 colour map (0..300 each)",
             false;
    }
  }
  return true;
}

std::string EncodeOptionsRecord(const std::vector<std::string>& passOn) {
  std::string out = "orvelle report options\n";
  for (const std::string& word : passOn) out += EscapeField(word) + "\n";
  return out;
}

bool DecodeOptionsRecord(const std::string& text, std::vector<std::string>& passOn) {
  passOn.clear();
  const std::string head = "orvelle report options\n";
  if (text.rfind(head, 0) != 0 || text.back() != '\n') return false;
  size_t start = head.size();
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    std::string word;
    if (!UnescapeField(text.substr(start, end - start), word)) return false;
    passOn.push_back(std::move(word));
    start = end + 1;
  }
  return true;
}

}  // namespace orvelle::cli
