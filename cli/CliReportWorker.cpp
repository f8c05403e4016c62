// A report worker: file after file from its coordinator, each loaded and conditioned as every
// command does it, then for each chosen data type the pictures `render` draws, the JSON `info`
// prints and the table `roi` writes, produced by those commands' own functions. Every output
// reaches its final name whole or not at all.
#include <unistd.h>

#include <QtGlobal>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <mutex>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "cli/Cli.h"
#include "cli/CliPicture.h"
#include "cli/CliReport.h"
#include "cli/ReportProcess.h"
#include "data/AtomicFile.h"
#include "data/Message.h"
#include "data/Platform.h"
#include "data/Spline.h"
#include "data/ThkFormat.h"
#include "data/Uniformity.h"
#include "view3d/OffscreenSurfaceRenderer.h"
#include "view3d/SurfaceRenderer.h"
#include "views2d/ColorPalette.h"
#include "views2d/Contour.h"
#include "views2d/FixedText.h"
#include "views2d/LineGraph.h"
#include "views2d/Roi.h"

namespace orvelle::cli {
namespace {

constexpr int kColorMapSide = 301;

// Held while a file is written: a stop signal waits for it, as one between the temporary file
// and its rename would leave the temporary behind.
std::mutex writing;

bool WriteWhole(const std::string& path, const std::string& bytes) {
  bool ok;
  {
    const std::lock_guard<std::mutex> hold(writing);
    ok = WriteFileAtomically(path, bytes);
  }
  if (!ok) ShowMessage("File write error. -> " + path);
  return ok;
}

// A file's outputs go to disk together at its end: one flush for all of them costs about what
// one file's flush costs, where a flush each took most of a file's time.
using Outputs = std::vector<std::pair<std::string, std::string>>;

// Writes the outputs; the message of the first that failed, or nothing.
std::optional<std::string> WriteOutputs(const Outputs& outputs) {
  const std::lock_guard<std::mutex> hold(writing);
  size_t failed = 0;
  WriteFailure failure = WriteFailure::None;
  if (WriteFilesAtomically(outputs, failed, failure)) return std::nullopt;
  return (failure == WriteFailure::Open ? "File open error. -> " : "File write error. -> ") +
         outputs[failed].first;
}

// The next line of standard input without its line end; false at the end of input.
bool ReadJobLine(std::string& text) {
  text.clear();
  int c;
  while ((c = std::getchar()) != EOF) {
    if (c == '\n') return true;
    text += static_cast<char>(c);
  }
  return !text.empty();
}

std::string Number(double v) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// Runs `run` with what it writes to standard output kept in `printed`.
int CaptureStandardOutput(const std::function<int()>& run, std::string& printed) {
  printed.clear();
  SetStandardOutputSink(&printed);
  const int status = run();
  SetStandardOutputSink(nullptr);
  return status;
}

struct Job {
  std::string subdir, file;
  ReportOptions options;
  GridDataSet* sets = nullptr;  // the worker's ten slots, reset for every file
  OffscreenSurfaceRenderer* surface = nullptr;
  std::vector<std::string> messages;
  Outputs outputs;  // written at the file's end

  // The program's message since `mark`, or `fallback` when none was shown.
  std::string MessageSince(size_t mark, const std::string& fallback) const {
    return messages.size() > mark ? messages[mark] : fallback;
  }
};

using Renderer = int (*)(const CliContext&);
struct ViewJob {
  const char* name;
  const char* view;
  Renderer run;
};
constexpr ViewJob kViews[4] = {{"colormap", "colormap", RunRender2d},
                               {"contour", "contour", RunRender2d},
                               {"linegraph", "linegraph", RunRenderLineGraph},
                               {"3d", "3d", RunRender3d}};

QSize PrintSize(const ReportViewSizes& sizes, int view) {
  switch (view) {
    case 0:
      return sizes.colormap;
    case 1:
      return sizes.contour;
    case 2:
      return sizes.lineGraph;
    default:
      return sizes.surface;
  }
}

// A figure that may be undefined: empty then, as null is in info.
std::string Figure(std::optional<double> v) { return v ? Number(*v) : std::string(); }
std::string Figure(double v) { return v == kNoData ? std::string() : Number(v); }

void FillFigures(ReportRow& row, const GridDataSet& s) {
  row.figures = {std::to_string(s.size),   std::to_string(s.pitchX),
                 std::to_string(s.pitchY), std::to_string(s.pointCount),
                 Number(s.rangeMin),       Number(s.rangeMax),
                 Number(s.mean),           Number(s.span),
                 Number(s.normDivisor)};
  const SiteFigures& f = s.sites;
  const std::string uniformity[] = {Figure(s.stdDev),
                                    Figure(NonUniformityPct(s.span, s.mean)),
                                    Figure(CvPct(s.stdDev, s.mean)),
                                    std::to_string(f.count),
                                    Figure(f.min),
                                    Figure(f.max),
                                    Figure(f.mean),
                                    Figure(f.stdDev),
                                    Figure(NonUniformityPct(f.max - f.min, f.mean)),
                                    Figure(CvPct(f.stdDev, f.mean))};
  std::copy(std::begin(uniformity), std::end(uniformity), row.figures.begin() + 9);
}

// The ROI table of data type `type` as `roi` writes it, and this type's figures for the summary
// (the table's own digits; empty where the ROI holds no valid point).
bool WriteRoiTable(Job& job, const ViewerParams& base, const GridDataSet* sets, int type,
                   ReportRow& row) {
  const CliOptions& o = job.options.cli;
  ViewerParams params = base;
  const std::optional<PixelPoint> points[2] = {o.roi1, o.roi2};
  for (int k = 0; k < 2; ++k) {
    if (!points[k]) continue;
    params.roiCentreX[k] = points[k]->x;
    params.roiCentreY[k] = points[k]->y;
    ShowRoi(params, k, true);
  }
  const size_t mark = job.messages.size();
  const std::string text = RoiExportText(params, sets, type, kColorMapSide, kColorMapSide, ',');
  if (text.empty()) {
    row.status = job.MessageSince(mark, "ROI area not selected!");
    return false;
  }
  std::string crlf;
  for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  job.outputs.emplace_back(job.subdir + "/roi-" + std::to_string(type) + ".csv", crlf);
  const GridDataSet& set = sets[type];
  const double divisor = set.normDivisor == 0.0 ? 1.0 : set.normDivisor;
  for (int k = 0; k < 2; ++k) {
    if (!points[k]) continue;
    const int x = RoiGridCoordinate(params.roiCentreX[k], set.size, kColorMapSide);
    const int y = RoiGridCoordinate(params.roiCentreY[k], set.size, kColorMapSide);
    const RoiStats s = MeasureRoi(set, params.roiType[k], x, y, params.roiSize[k]);
    const int digits = RoiDigits(params, k);
    const double values[3] = {s.min, s.max, s.mean};
    for (int i = 0; i < 3; ++i) {
      row.roi[k][i] = s.count > 0 ? FormatFixed(values[i] / divisor, digits) : std::string();
    }
    const double spread = RoiStdDev(set, params.roiType[k], x, y, params.roiSize[k]);
    row.roi[k][3] =
        spread == kNoData ? std::string() : FormatFixed(spread / std::fabs(divisor), digits);
  }
  return true;
}

// Every module the drawing uses back to its state at program start, so that each picture is
// the one a fresh `render` process draws.
void ResetDrawingModules(OffscreenSurfaceRenderer& surface) {
  ResetPaletteState();
  ResetContourModule();
  ResetLineGraph();
  ResetSplineModule();
  // The renderer's buffer objects belong to the context that stays for the next file.
  bool reset = false;
  surface.RunInContext([&reset] {
    ResetRenderer();
    reset = true;
  });
  if (!reset) ResetRenderer();
}

// The four views of one data type: the PNGs `render` writes, and the page pictures. Once the 3D
// view cannot be drawn it is left out for the rest of the file, and `note` says why.
bool DrawViews(Job& job, const ViewerParams& params, GridDataSet* sets, int count, int type,
               bool& openGl, std::string& note, ReportRow& row) {
  const ReportViewSizes sizes = PageViewSizes(job.options.letter);
  const std::string pages = job.subdir + "/" + kPagesName;
  std::error_code ec;
  std::filesystem::create_directory(PathFromUtf8(pages), ec);
  for (int v = 0; v < 4; ++v) {
    const bool surface = v == 3;
    if (surface && !openGl) continue;
    bool drawn = true;
    // The maps go onto the page framed as they are written (colour bar and value labels
    // included), so one drawing serves both.
    const bool framed = v < 2;
    const std::string pagePicture = pages + "/" + PagePictureName(kViews[v].name, type);
    for (const bool page : {false, true}) {
      if (page && framed) break;
      CliOptions o = job.options.cli;
      o.file = job.file;
      o.type = type;
      o.view = kViews[v].view;
      o.framed = framed;
      o.output = "-";
      if (page) {
        o.pagePicture = true;
        const QSize size = PrintSize(sizes, v);
        o.width = size.width();
        o.height = size.height();
      }
      ViewerParams p = params;
      const size_t mark = job.messages.size();
      ResetDrawingModules(*job.surface);
      std::string bytes;
      QImage picture;
      KeepWrittenPicture(framed ? &picture : nullptr);
      const int status = CaptureStandardOutput(
          [&] {
            return kViews[v].run(CliContext{o, p, sets, count, job.surface});
          },
          bytes);
      KeepWrittenPicture(nullptr);
      if (status != 0 && surface) {
        openGl = false;
        note = "3D view left out: " + job.MessageSince(mark, "it could not be drawn here.");
        drawn = false;
        break;
      }
      if (status != 0) {
        row.status = job.MessageSince(mark, "The view could not be drawn.");
        return false;
      }
      if (page) {
        job.outputs.emplace_back(pagePicture, std::move(bytes));
        continue;
      }
      job.outputs.emplace_back(job.subdir + "/" + ViewPictureName(kViews[v].name, type),
                               std::move(bytes));
      if (!framed) continue;
      std::string raw;
      if (!EncodePicture(picture, true, raw)) {
        row.status = "File write error. -> " + pagePicture;
        return false;
      }
      job.outputs.emplace_back(pagePicture, std::move(raw));
    }
    if (drawn) row.views.push_back(kViews[v].name);
  }
  return true;
}

// Writes the file's outputs and, renamed last, its findings, which tell that the outputs are
// complete. When an output fails, the findings say so instead.
void Finish(Job& job, std::vector<ReportRow> rows, const std::string& note) {
  const std::string findings = job.subdir + "/" + kFindingsName;
  job.outputs.emplace_back(findings, EncodeFindings(job.file, rows, note));
  const auto failure = WriteOutputs(job.outputs);
  job.outputs.clear();
  if (!failure) return;
  ShowMessage(*failure);
  for (ReportRow& r : rows) {
    if (r.Ok()) r.status = *failure;
  }
  WriteWhole(findings, EncodeFindings(job.file, rows, note));
}

// The slots as a new block gives them, without asking the system for one for every file: a
// fresh block is cleared page by page, which costs more than resetting the old one.
void ResetForNextFile(GridDataSet* sets) {
  ResetDataSets(sets, kMaxDataSets);
  for (int i = 0; i < kMaxDataSets; ++i) {
    GridDataSet& s = sets[i];
    s.size = s.pitchX = s.pitchY = s.maxX = s.maxY = 0;
    s.span = 0.0;
  }
}

// One input file: loads and conditions it, then writes its outputs and findings.
void ReportFile(Job& job) {
  std::vector<ReportRow> rows(1);
  const CliOptions& options = job.options.cli;
  if (!job.options.allTypes) rows[0].slot = options.type;

  ViewerParams params;
  GridDataSet* const sets = job.sets;
  ResetForNextFile(sets);
  CliOptions loadOptions = options;
  loadOptions.file = job.file;
  // The colour range is set once the data's own figures are taken.
  loadOptions.range.reset();
  int count = -1;
  ResetDrawingModules(*job.surface);
  if (PrepareParams(options, params)) count = LoadThkFile(job.file, sets);
  if (count >= 0 && ConditionLoaded(loadOptions, params, sets, count) < 0) count = -1;
  if (count < 0) {
    rows[0].status = job.MessageSince(0, "The file could not be read.");
    return Finish(job, rows, "");
  }
  if (params.normEnable) sets[0].normDivisor = params.normValue;

  std::vector<int> types;
  if (job.options.allTypes) {
    for (int t = 0; t < count; ++t) types.push_back(t);
  } else if (options.type < count) {
    types.push_back(options.type);
  } else {
    rows[0].status = "Data type " + std::to_string(options.type) +
                     " does not exist: the data hold " + std::to_string(count) +
                     " type(s), numbered from 0.";
    return Finish(job, rows, "");
  }

  // The figures stay the data's own; the views and info.json show the colour range in use.
  std::array<std::pair<double, double>, kMaxDataSets> own;
  for (int t = 0; t < count; ++t) {
    own[static_cast<size_t>(t)] = {sets[t].rangeMin, sets[t].rangeMax};
    GridDataSet& s = sets[t];
    const auto run = job.options.runRanges.find(t);
    if (options.range && t == options.type && s.active) {
      std::tie(s.rangeMin, s.rangeMax) = *options.range;
    } else if (run != job.options.runRanges.end() && s.active) {
      std::tie(s.rangeMin, s.rangeMax) = run->second;
    }
  }

  std::string info;
  const size_t infoMark = job.messages.size();
  const CliContext infoContext{loadOptions, params, sets, count};
  const std::string infoPath = job.subdir + "/info.json";
  std::string fileStatus = "ok";
  if (CaptureStandardOutput([&] { return RunInfo(infoContext); }, info) != 0) {
    fileStatus = job.MessageSince(infoMark, "File write error. -> " + infoPath);
  } else {
    job.outputs.emplace_back(infoPath, std::move(info));
  }

  rows.clear();
  bool openGl = true;
  std::string note;
  const bool roi = options.roi1 || options.roi2;
  for (const int t : types) {
    ReportRow row;
    row.slot = t;
    row.name = sets[t].name;
    row.status = fileStatus;
    FillFigures(row, sets[t]);
    row.figures[FigureIndex("min")] = Number(own[static_cast<size_t>(t)].first);
    row.figures[FigureIndex("max")] = Number(own[static_cast<size_t>(t)].second);
    if (row.Ok() && DrawViews(job, params, sets, count, t, openGl, note, row) && roi) {
      WriteRoiTable(job, params, sets, t, row);
    }
    rows.push_back(std::move(row));
  }
  Finish(job, rows, note);
}

}  // namespace

int RunReportWorker(const std::vector<std::string>& args) {
  // A coordinator that was killed outright takes its workers with it.
  if (!TieWorkerToCoordinator()) return 1;
  HoldStopsWhileWriting(writing);

  // The replies go to the coordinator alone: what the commands print goes nowhere.
  const int replies = TakeWorkerReplies();
  if (replies < 0) return 1;

  ReportOptions options;
  std::vector<std::string> optionArgs = args;
  optionArgs.insert(optionArgs.end(), {"file.thk", "-o", "dir"});  // each job names its own
  bool help = false;
  std::string error;
  if (!ParseReportOptions(optionArgs, options, help, error)) return 2;

  // A worker is one of the --jobs the user gave the report: Mesa's software renderer draws on
  // the worker's own thread instead of starting helpers on every processor, which would only
  // compete with the other workers. The pictures are the same either way.
  if (!qEnvironmentVariableIsSet("LP_NUM_THREADS")) qputenv("LP_NUM_THREADS", "0");
  const auto app = StartGuiApplication(true);
  OffscreenSurfaceRenderer surface;  // one OpenGL context for every file
  const auto sets = MakeDataSets();
  Job* current = nullptr;
  SetMessageHandler([&current](const std::string& text) {
    if (current != nullptr) current->messages.push_back(text);
  });

  std::string text;
  while (ReadJobLine(text)) {
    const size_t tab = text.find('\t');
    Job job;
    if (tab == std::string::npos || !UnescapeField(text.substr(0, tab), job.subdir) ||
        !UnescapeField(text.substr(tab + 1), job.file)) {
      break;
    }
    job.options = options;
    job.surface = &surface;
    job.sets = sets.get();
    current = &job;
    ReportFile(job);
    current = nullptr;
    const char done[] = "done\n";
    if (::write(replies, done, sizeof done - 1) != static_cast<ssize_t>(sizeof done - 1)) break;
  }
  return 0;
}

}  // namespace orvelle::cli
