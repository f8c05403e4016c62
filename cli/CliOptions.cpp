#include "cli/CliOptions.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace orvelle::cli {
namespace {

bool ToInt(const std::string& text, int& out) {
  const char* end = text.data() + text.size();
  auto r = std::from_chars(text.data(), end, out);
  return r.ec == std::errc() && r.ptr == end;
}

bool ToDouble(const std::string& text, double& out) {
  const char* end = text.data() + text.size();
  auto r = std::from_chars(text.data(), end, out);
  return r.ec == std::errc() && r.ptr == end && !text.empty();
}

bool ToPair(const std::string& text, char sep, int& a, int& b) {
  const size_t at = text.find(sep);
  return at != std::string::npos && ToInt(text.substr(0, at), a) && ToInt(text.substr(at + 1), b);
}

}  // namespace

const char* CliUsage() {
  return "usage: orvelle-cli info|grid|render|roi|diff|report FILE [options]\n"
         "\n"
         "  orvelle-cli info   FILE [options]                 data types and statistics as JSON\n"
         "  orvelle-cli grid   FILE [--type N] [--format csv|npy|gsf] -o OUT\n"
         "                                                    the conditioned grid of one type\n"
         "  orvelle-cli render FILE --view colormap|contour|linegraph|3d [--type N]\n"
         "                     [--size WxH] [--framed] -o OUT.png\n"
         "                                                    a view's picture as PNG\n"
         "  orvelle-cli roi    FILE --roi1 X,Y [--roi2 X,Y] [-o OUT.csv]\n"
         "                                                    ROI table, comma separated\n"
         "  orvelle-cli diff   A B -o OUT.thk [--ratio] [--type N]\n"
         "                                                    a THK file of A - B (A / B) on A's\n"
         "                                                    lattice, for each type both hold\n"
         "  orvelle-cli report FILE... -o DIR [--jobs N] [--type N | --all-types]\n"
         "                     [--roi1 X,Y] [--roi2 X,Y] [--page a4|letter] [--quiet]\n"
         "                     [--resume] [--timeout S] [--shard K/N]\n"
         "                     [--range MIN,MAX | --common-range]\n"
         "                                                    a whole run: each file's views,\n"
         "                                                    info and ROI table in DIR/<stem>/,\n"
         "                                                    DIR/summary.csv, DIR/report.pdf\n"
         "  orvelle-cli report --watch INDIR -o DIR [--settle S] [the same options]\n"
         "                                                    the same for each .thk file that\n"
         "                                                    is written into INDIR, until Ctrl+C\n"
         "  orvelle-cli report --merge -o OUT DIR...          joins the shard folders DIR... into\n"
         "                                                    OUT as one run over all files\n"
         "\n"
         "FILE is a THK data file, or - for THK clipboard text on standard input (not for\n"
         "report or diff).\n"
         "The data are conditioned as the window does when it opens a file.\n"
         "\n"
         "info: besides the reader's figures, each type has stdDev (sample standard deviation,\n"
         "n - 1, of the values that give mean), nonUniformityPct (span / (2 x mean) x 100),\n"
         "cvPct (stdDev / |mean| x 100) and sites: count, min, max, mean, stdDev,\n"
         "nonUniformityPct and cvPct of the measured lattice points before fill, spline and\n"
         "filter. A figure that is undefined (no values, one value, mean 0) is null.\n"
         "\n"
         "grid formats (default: from OUT's extension .npy or .gsf, csv otherwise):\n"
         "  csv   x,y,value lines of the points with data, x outer, y inner\n"
         "  npy   NumPy array (format 1.0) of float64, shape (maxX + 1, maxY + 1), indexed\n"
         "        [x][y]; NaN where there is no data\n"
         "  gsf   Gwyddion Simple Field: XRes = maxX + 1, YRes = maxY + 1, grid units, Title =\n"
         "        the type's name; float32 rows from Y = 0, X increasing; NaN where no data\n"
         "\n"
         "diff: where A has a value as read, B's value is B's own where it has a point there,\n"
         "otherwise that of B's bilinear fill; no value where B has none (or, for --ratio,\n"
         "where B is 0). The types are taken by position and named \"<A> - <B>\" (\"<A> / <B>\").\n"
         "The fill, spline and filter options do not apply to diff.\n"
         "\n"
         "Options:\n"
         "  --settings PATH     take every viewer setting from a setting.dat file\n"
         "  --no-fill           do not fill or interpolate the measured lattice\n"
         "  --spline P          B-spline interpolation of order P (2..4) instead of the\n"
         "                      bilinear fill\n"
         "  --filter R          disc-mean smoothing with radius R (1..50)\n"
         "  --normalize D       divide data type 0 by D (0.001..999.999) in the views and the ROI\n"
         "                      table\n"
         "  --type N            data type to use, 0-based (default 0; diff: every common type)\n"
         "  --format F          grid: csv, npy or gsf\n"
         "  --ratio             diff: A / B instead of A - B\n"
         "  --roi-type circle|square, --roi-size N, --roi-digits D\n"
         "  --range MIN,MAX     colour range of the chosen data type for the maps, the\n"
         "                      contour levels, the value labels and the 3D surface, as the\n"
         "                      window's Min and Max set it (not with --all-types)\n"
         "  --framed            render colormap or contour with its frame, colour bar and\n"
         "                      value labels, as the window's copy button copies it\n"
         "  -o PATH             output file; - writes to standard output (report: the output\n"
         "                      folder, created when missing)\n"
         "  -h, --help          this text\n"
         "  --version           the program's version\n"
         "\n"
         "Report options:\n"
         "  --jobs N            worker processes (default: the number of processors)\n"
         "  --all-types         every data type of each file instead of the --type one\n"
         "  --page a4|letter    paper size of report.pdf (default a4)\n"
         "  --quiet             no progress on standard error (failures are still told)\n"
         "  --watch INDIR       keep running and report every .thk file that appears or\n"
         "                      changes in INDIR once it is complete; stop with Ctrl+C\n"
         "  --settle S          a watched file is complete when its size and time have not\n"
         "                      changed for S seconds (default 1)\n"
         "  --resume            skip each file whose outputs in DIR are complete and newer\n"
         "                      than the file (DIR must have been made with the same options)\n"
         "  --timeout S         a file not finished in S seconds is recorded as failed and its\n"
         "                      worker replaced (default 300)\n"
         "  --shard K/N         only the K-th (from 1) of N contiguous blocks of the FILEs, into\n"
         "                      its own DIR (which records the whole list, the options and K/N);\n"
         "                      --merge then writes summary.csv and report.pdf as one run would,\n"
         "                      reading no input file, and links each file's folder into OUT.\n"
         "                      It refuses folders of another list, with other options, or a\n"
         "                      missing, repeated or unfinished shard (exit status 2)\n"
         "  --common-range      every file's maps in one colour range per data type: the\n"
         "                      lowest minimum and highest maximum of the run's data\n"
         "summary.csv has, after normDivisor, stdDev, nonUniformityPct, cvPct, sitesCount,\n"
         "sitesMin, sitesMax, sitesMean, sitesStdDev, sitesNonUniformityPct and sitesCvPct\n"
         "(as info gives them, empty for null), and roiNStdDev after each roiNMean.\n"
         "\n"
         "Exit status: 0 success, 1 the operation failed (the message is on standard error),\n"
         "2 usage error; report: 1 when any file failed, 2 when --resume meets other options\n"
         "or --merge meets folders that are not the shards of one run,\n"
         "128 + the signal after Ctrl+C (130), SIGTERM (143) or SIGHUP (129): summary.csv and\n"
         "report.pdf then hold the finished files and mark the others \"not run\".\n";
}

const char* CliVersion() { return "orvelle-cli " ORVELLE_VERSION "\n"; }

bool ParseCliOptions(const std::vector<std::string>& args, CliOptions& o, bool& help,
                     std::string& error) {
  help = false;
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg == "-h" || arg == "--help") {
      help = true;
      return true;
    }
    if (arg == "--version") {
      o.version = true;
      return true;
    }
    if (arg == "-" || arg.empty() || arg[0] != '-') {
      positional.push_back(arg);
      continue;
    }
    std::string value;
    bool hasInlineValue = false;
    if (const size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      hasInlineValue = true;
    }
    if (arg == "--no-fill" || arg == "--ratio" || arg == "--framed") {
      if (hasInlineValue) {
        error = arg + " takes no value";
        return false;
      }
      (arg == "--ratio" ? o.ratio : arg == "--framed" ? o.framed : o.noFill) = true;
      continue;
    }
    static const char* const kWithValue[] = {
        "-o",         "--output",     "--type",   "--view",   "--size",      "--roi1",
        "--roi2",     "--settings",   "--spline", "--filter", "--normalize", "--roi-type",
        "--roi-size", "--roi-digits", "--format", "--range"};
    bool known = false;
    for (const char* name : kWithValue) known = known || arg == name;
    if (!known) {
      error = "unknown option " + arg;
      return false;
    }
    if (!hasInlineValue) {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      value = args[++i];
    }
    const std::string bad = "invalid value for " + arg + ": '" + value + "'";
    int n = 0, m = 0;
    double d = 0;
    if (arg == "-o" || arg == "--output") {
      o.output = value;
    } else if (arg == "--type") {
      if (!ToInt(value, n) || n < 0) return error = bad, false;
      o.type = n;
      o.typeGiven = true;
    } else if (arg == "--format") {
      if (value != "csv" && value != "npy" && value != "gsf")
        return error = bad + " (csv, npy or gsf)", false;
      o.format = value;
    } else if (arg == "--view") {
      if (value != "colormap" && value != "contour" && value != "linegraph" && value != "3d")
        return error = bad + " (colormap, contour, linegraph or 3d)", false;
      o.view = value;
    } else if (arg == "--size") {
      if (!ToPair(value, 'x', n, m) || n < 1 || m < 1 || n > 8192 || m > 8192)
        return error = bad + " (WxH, 1..8192 each)", false;
      o.width = n;
      o.height = m;
    } else if (arg == "--roi1" || arg == "--roi2") {
      if (!ToPair(value, ',', n, m)) return error = bad + " (X,Y)", false;
      (arg == "--roi1" ? o.roi1 : o.roi2) = PixelPoint{n, m};
    } else if (arg == "--range") {
      const size_t comma = value.find(',');
      double lo = 0, hi = 0;
      if (comma == std::string::npos || !ToDouble(value.substr(0, comma), lo) ||
          !ToDouble(value.substr(comma + 1), hi) || !std::isfinite(lo) || !std::isfinite(hi) ||
          !(lo < hi))
        return error = bad + " (MIN,MAX with MIN < MAX)", false;
      o.range = std::make_pair(lo, hi);
    } else if (arg == "--settings") {
      o.settings = value;
    } else if (arg == "--spline") {
      if (!ToInt(value, n) || n < 2 || n > 4) return error = bad + " (2..4)", false;
      o.spline = n;
    } else if (arg == "--filter") {
      if (!ToInt(value, n) || n < 1 || n > 50) return error = bad + " (1..50)", false;
      o.filter = n;
    } else if (arg == "--normalize") {
      if (!ToDouble(value, d) || !(d >= 0.001 && d <= 999.999))
        return error = bad + " (0.001..999.999)", false;
      o.normalize = d;
    } else if (arg == "--roi-type") {
      if (value != "circle" && value != "square") return error = bad + " (circle or square)", false;
      o.roiType = value;
    } else if (arg == "--roi-size") {
      if (!ToInt(value, n)) return error = bad, false;
      o.roiSize = n;
    } else if (arg == "--roi-digits") {
      if (!ToInt(value, n)) return error = bad, false;
      o.roiDigits = n;
    }
  }
  if (positional.empty()) {
    error = "no command given";
    return false;
  }
  o.command = positional[0];
  if (o.command != "info" && o.command != "grid" && o.command != "render" && o.command != "roi" &&
      o.command != "diff") {
    error = "unknown command '" + o.command + "'";
    return false;
  }
  if (positional.size() < 2) {
    error = o.command + " needs a FILE";
    return false;
  }
  const size_t files = o.command == "diff" ? 2 : 1;
  if (positional.size() < files + 1) return error = "diff needs two files, A and B", false;
  if (positional.size() > files + 1) {
    error = "unexpected argument '" + positional[files + 1] + "'";
    return false;
  }
  o.file = positional[1];
  if (o.command == "diff") {
    o.other = positional[2];
    if (o.file == "-" || o.other == "-") return error = "diff reads files, not -", false;
    if (o.output.empty()) return error = "diff needs -o OUT.thk", false;
  }
  if (o.ratio && o.command != "diff") return error = "--ratio applies to diff only", false;
  if (!o.format.empty() && o.command != "grid")
    return error = "--format applies to grid only", false;
  if (o.command == "grid" && o.output.empty()) return error = "grid needs -o OUT", false;
  if (o.command == "render") {
    if (o.view.empty()) return error = "render needs --view", false;
    if (o.output.empty()) return error = "render needs -o OUT.png", false;
    if (o.framed && o.view != "colormap" && o.view != "contour")
      return error = "--framed is for --view colormap or contour", false;
    if (o.framed && o.width) return error = "--framed draws the window's size; drop --size", false;
  }
  if (o.command == "roi" && !o.roi1) return error = "roi needs --roi1 X,Y", false;
  return true;
}

}  // namespace orvelle::cli
