// The data commands: info (JSON) and grid (CSV).
#include <cstdio>
#include <string>

#include "cli/Cli.h"
#include "data/NameText.h"
#include "data/NumberText.h"

namespace orvelle::cli {
namespace {

// JSON string literal of a name: its text as NameText gives it (always valid UTF-8), with quotes,
// backslashes and control characters escaped.
std::string JsonString(const std::string& name) {
  const std::string text = NameText(name);
  std::string out = "\"";
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20 || c == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

}  // namespace

int RunInfo(const CliContext& context) {
  const GridDataSet* sets = context.sets;
  const int count = context.count;
  std::string out = "{\"count\":" + std::to_string(count) + ",\"types\":[";
  for (int i = 0; i < count; ++i) {
    const GridDataSet& s = sets[i];
    auto num = [&](const char* key, const std::string& value) {
      out += ",\"";
      out += key;
      out += "\":" + value;
    };
    out += i == 0 ? "\n" : ",\n";
    out += "{\"slot\":" + std::to_string(i);
    num("name", JsonString(s.name));
    num("active", std::to_string(s.active));
    num("processed", std::to_string(s.processed));
    num("size", std::to_string(s.size));
    num("pitchX", std::to_string(s.pitchX));
    num("pitchY", std::to_string(s.pitchY));
    num("maxX", std::to_string(s.maxX));
    num("maxY", std::to_string(s.maxY));
    num("pointCount", std::to_string(s.pointCount));
    num("rangeMin", FormatReal(s.rangeMin));
    num("rangeMax", FormatReal(s.rangeMax));
    num("defaultMin", FormatReal(s.defaultMin));
    num("defaultMax", FormatReal(s.defaultMax));
    num("mean", FormatReal(s.mean));
    num("span", FormatReal(s.span));
    num("normDivisor", FormatReal(s.normDivisor));
    out += "}";
  }
  out += "\n]}\n";
  return WriteOutput("-", out) ? 0 : 1;
}

int RunGrid(const CliContext& context) {
  const CliOptions& options = context.options;
  const GridDataSet& s = context.sets[options.type];
  std::string out = "x,y,value\n";
  for (int x = 0; x < kGridDim; ++x) {
    for (int y = 0; y < kGridDim; ++y) {
      const double v = s.values[x][y];
      if (!IsValid(v)) continue;
      out += std::to_string(x);
      out += ',';
      out += std::to_string(y);
      out += ',';
      out += FormatReal(v);
      out += '\n';
    }
  }
  return WriteOutput(options.output, out) ? 0 : 1;
}

}  // namespace orvelle::cli
