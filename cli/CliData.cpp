// The data commands: info (JSON) and grid (CSV, NumPy .npy, Gwyddion .gsf).
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

#include "cli/Cli.h"
#include "data/NameText.h"
#include "data/NumberText.h"
#include "data/Uniformity.h"

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

std::string JsonNumber(std::optional<double> v) { return v ? FormatReal(*v) : "null"; }

// A figure kept as kNoData while undefined.
std::optional<double> Defined(double v) {
  return v == kNoData ? std::nullopt : std::optional<double>(v);
}

std::string SitesJson(const SiteFigures& f) {
  return "{\"count\":" + std::to_string(f.count) + ",\"min\":" + JsonNumber(Defined(f.min)) +
         ",\"max\":" + JsonNumber(Defined(f.max)) + ",\"mean\":" + JsonNumber(Defined(f.mean)) +
         ",\"stdDev\":" + JsonNumber(Defined(f.stdDev)) +
         ",\"nonUniformityPct\":" + JsonNumber(NonUniformityPct(f.max - f.min, f.mean)) +
         ",\"cvPct\":" + JsonNumber(CvPct(f.stdDev, f.mean)) + "}";
}

// Little-endian bytes of a value, whatever the machine's order.
template <typename T, typename Bits>
void AppendLittleEndian(std::string& out, T value) {
  Bits bits = std::bit_cast<Bits>(value);
  for (size_t i = 0; i < sizeof bits; ++i) {
    out += static_cast<char>(bits & 0xFF);
    bits >>= 8;
  }
}

double GridValue(double v) { return IsValid(v) ? v : std::numeric_limits<double>::quiet_NaN(); }

std::string CsvGrid(const GridDataSet& s) {
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
  return out;
}

int Columns(int last) { return std::clamp(last, 0, kGridDim - 1) + 1; }

std::string NpyGrid(const GridDataSet& s) {
  const int nx = Columns(s.maxX), ny = Columns(s.maxY);
  std::string header = "{'descr': '<f8', 'fortran_order': False, 'shape': (" + std::to_string(nx) +
                       ", " + std::to_string(ny) + "), }";
  // Magic (6), version (2) and length (2) come first; the data start on a 64-byte boundary.
  constexpr size_t kPreamble = 10;
  const size_t total = (kPreamble + header.size() + 1 + 63) / 64 * 64;
  header.append(total - kPreamble - header.size() - 1, ' ');
  header += '\n';
  std::string out("\x93NUMPY\x01\x00", 8);
  AppendLittleEndian<uint16_t, uint16_t>(out, static_cast<uint16_t>(header.size()));
  out += header;
  out.reserve(out.size() + static_cast<size_t>(nx) * ny * 8);
  for (int x = 0; x < nx; ++x) {
    for (int y = 0; y < ny; ++y)
      AppendLittleEndian<double, uint64_t>(out, GridValue(s.values[x][y]));
  }
  return out;
}

std::string GsfGrid(const GridDataSet& s) {
  const int nx = Columns(s.maxX), ny = Columns(s.maxY);
  std::string title = NameText(s.name);
  // A header line ends at a line break and the header at a NUL.
  for (char& c : title) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  std::string out = "Gwyddion Simple Field 1.0\nXRes = " + std::to_string(nx) +
                    "\nYRes = " + std::to_string(ny) + "\nXReal = " + std::to_string(nx) +
                    "\nYReal = " + std::to_string(ny) + "\nTitle = " + title + "\n";
  out.append(4 - out.size() % 4, '\0');
  out.reserve(out.size() + static_cast<size_t>(nx) * ny * 4);
  for (int y = 0; y < ny; ++y) {
    for (int x = 0; x < nx; ++x) {
      AppendLittleEndian<float, uint32_t>(out, static_cast<float>(GridValue(s.values[x][y])));
    }
  }
  return out;
}

// The format asked for, or the one the output's extension names.
std::string GridFormat(const CliOptions& o) {
  if (!o.format.empty()) return o.format;
  const size_t dot = o.output.rfind('.');
  if (dot == std::string::npos || o.output.find('/', dot) != std::string::npos) return "csv";
  std::string ext = o.output.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ext == "npy" || ext == "gsf" ? ext : "csv";
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
    num("stdDev", JsonNumber(Defined(s.stdDev)));
    num("nonUniformityPct", JsonNumber(NonUniformityPct(s.span, s.mean)));
    num("cvPct", JsonNumber(CvPct(s.stdDev, s.mean)));
    num("sites", SitesJson(s.sites));
    num("normDivisor", FormatReal(s.normDivisor));
    out += "}";
  }
  out += "\n]}\n";
  return WriteOutput("-", out) ? 0 : 1;
}

int RunGrid(const CliContext& context) {
  const CliOptions& options = context.options;
  const GridDataSet& s = context.sets[options.type];
  const std::string format = GridFormat(options);
  const std::string out = format == "npy" ? NpyGrid(s) : format == "gsf" ? GsfGrid(s) : CsvGrid(s);
  return WriteOutput(options.output, out) ? 0 : 1;
}

}  // namespace orvelle::cli
