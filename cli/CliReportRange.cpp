// The run's common colour range: a first pass over every input file before any worker draws.
#include <algorithm>
#include <charconv>
#include <cstdio>

#include "cli/Cli.h"
#include "cli/CliReport.h"
#include "data/Message.h"
#include "data/Spline.h"
#include "data/ThkFormat.h"

namespace orvelle::cli {
namespace {

std::string Number(double v) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

}  // namespace

std::string EncodeRunRange(int type, std::pair<double, double> range) {
  return std::to_string(type) + "," + Number(range.first) + "," + Number(range.second);
}

bool DecodeRunRange(const std::string& text, std::map<int, std::pair<double, double>>& ranges) {
  const char* p = text.data();
  const char* end = p + text.size();
  int type = 0;
  double lo = 0, hi = 0;
  auto r = std::from_chars(p, end, type);
  if (r.ec != std::errc() || r.ptr == end || *r.ptr != ',' || type < 0) return false;
  r = std::from_chars(r.ptr + 1, end, lo);
  if (r.ec != std::errc() || r.ptr == end || *r.ptr != ',') return false;
  r = std::from_chars(r.ptr + 1, end, hi);
  if (r.ec != std::errc() || r.ptr != end || !(lo <= hi)) return false;
  ranges[type] = {lo, hi};
  return true;
}

void FindRunRanges(ReportOptions& options) {
  CliOptions load = options.cli;
  load.range.reset();
  // The workers tell each file's failure; here it only leaves the file out.
  const MessageHandler previous = SetMessageHandler([](const std::string&) {});
  ViewerParams params;
  if (PrepareParams(load, params)) {
    for (const std::string& file : options.files) {
      // As a worker starts each file: fresh data sets and spline state.
      auto sets = MakeDataSets();
      ResetSplineModule();
      load.file = file;
      const int count = LoadThkFile(file, sets.get());
      if (count < 0 || ConditionLoaded(load, params, sets.get(), count) < 0) continue;
      for (int t = 0; t < count; ++t) {
        if (!options.allTypes && t != options.cli.type) continue;
        const GridDataSet& s = sets[t];
        if (!s.active || s.pointCount <= 0 || !(s.rangeMin <= s.rangeMax)) continue;
        const auto [it, added] =
            options.runRanges.emplace(t, std::make_pair(s.rangeMin, s.rangeMax));
        if (!added) {
          it->second.first = std::min(it->second.first, s.rangeMin);
          it->second.second = std::max(it->second.second, s.rangeMax);
        }
      }
    }
  }
  SetMessageHandler(previous);
  for (const auto& [type, range] : options.runRanges) {
    options.workerArgs.push_back(kRunRangeOption);
    options.workerArgs.push_back(EncodeRunRange(type, range));
  }
}

}  // namespace orvelle::cli
