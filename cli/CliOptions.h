// Command line of orvelle-cli: the parsed options and the usage text.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvelle::cli {

struct PixelPoint {
  int x = 0;
  int y = 0;
};

struct CliOptions {
  std::string command;  // info, grid, render, roi, diff
  std::string file;     // a THK file, or "-" for clipboard text on standard input
  std::string other;    // diff: the file subtracted from (or dividing) `file`
  std::string output;   // -o; "-" is standard output
  int type = 0;         // 0-based data type
  bool typeGiven = false;
  std::string format;  // grid: csv, npy or gsf (from the output's extension when not given)
  bool ratio = false;  // diff: A / B instead of A - B
  std::string view;    // render: colormap, contour, linegraph, 3d
  std::optional<int> width, height;
  bool framed = false;       // render colormap|contour: with frame, colour bar and value labels
  bool pagePicture = false;  // read back at once by this program: written as raw pixels (PPM)
  // --range MIN,MAX: the colour range of the chosen data type, as the window's Min and Max set it
  std::optional<std::pair<double, double>> range;
  std::optional<PixelPoint> roi1, roi2;
  std::optional<std::string> settings;
  bool noFill = false;
  std::optional<int> spline;        // spline order; absent: spline as the settings say
  std::optional<int> filter;        // filter radius; absent: filter as the settings say
  std::optional<double> normalize;  // divisor for data type 0
  std::optional<std::string> roiType;
  std::optional<int> roiSize;
  std::optional<int> roiDigits;
  bool version = false;  // --version: print the version and do nothing else
};

// Parses argv[1..]. Returns false with a one-line reason in `error` on a usage error. `help`
// is set when --help or -h is given, `options.version` when --version is (nothing else is then
// checked).
bool ParseCliOptions(const std::vector<std::string>& args, CliOptions& options, bool& help,
                     std::string& error);

// The usage text printed by --help (and, first line only, after a usage error).
const char* CliUsage();

// The line printed by --version: "orvelle-cli " and the project's version.
const char* CliVersion();

}  // namespace orvelle::cli
