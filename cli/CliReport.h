// orvelle-cli report: a whole measurement run in one command. A coordinating process hands the
// input files to worker processes (each takes file after file, so Qt, the fonts and the OpenGL
// context start once per worker), collects what the workers found and writes summary.csv and
// report.pdf.
#pragma once

#include <QSize>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/CliOptions.h"

namespace orvelle::cli {

struct ReportOptions {
  CliOptions cli;  // type, pipeline and ROI options, as the other commands take them
  std::vector<std::string> files;
  std::string outDir;
  int jobs = 1;
  bool allTypes = false;
  bool letter = false;  // US letter pages instead of A4
  bool quiet = false;
  std::optional<std::string> watchDir;
  double settleSeconds = 1.0;
  double timeoutSeconds = 300.0;  // a worker busy longer with one file is killed
  bool resume = false;            // skip the files whose outputs in outDir are complete
  // --shard K/N: only the K-th (from 1) of N contiguous blocks of files; 0 of 0 for all of them.
  int shard = 0;
  int shards = 0;
  bool merge = false;  // --merge: `files` are shard folders to join into outDir
  // --common-range: every file's maps in one colour range per data type, the lowest minimum
  // and highest maximum of the run's conditioned data, found before any picture is drawn.
  bool commonRange = false;
  std::map<int, std::pair<double, double>> runRanges;  // data type -> that range
  // Words for the workers alone (the run's ranges), beside passOn.
  std::vector<std::string> workerArgs;
  // The options that shape every file's results, as given: handed on to the workers, listed on
  // the report's first page and recorded in the output folder (--resume compares them).
  std::vector<std::string> passOn;
};

// Parses the arguments after "report". False with a one-line reason on a usage error; `help`
// is set when --help or -h is given. jobs defaults to the number of processors.
bool ParseReportOptions(const std::vector<std::string>& args, ReportOptions& options, bool& help,
                        std::string& error);

// The worker option that hands on one data type's run range: "TYPE,MIN,MAX", the numbers in
// their shortest exact text. The decoder adds it to `ranges`; false when malformed.
inline constexpr const char* kRunRangeOption = "--run-range";
std::string EncodeRunRange(int type, std::pair<double, double> range);
bool DecodeRunRange(const std::string& text, std::map<int, std::pair<double, double>>& ranges);

// --common-range: reads and conditions every input file as the workers will (types as --type or
// --all-types choose), and sets options.runRanges and the worker words that pass them on. Files
// that cannot be read are left out (their workers report them). Needs no GUI application.
void FindRunRanges(ReportOptions& options);

// The report command (arguments after "report"). Returns 0 when every file was read (a view
// that could not be drawn is told, not a failure), 1 when any failed, 2 on a usage error (or
// --resume into a folder made with other options), 128 + the signal after SIGINT, SIGTERM or SIGHUP
// (summary.csv and report.pdf then cover the finished files and mark the others "not run").
int RunReport(const std::vector<std::string>& args);

// Joins the shard folders options.files into options.outDir as one run over the whole list
// would have written it, reading no input file. Returns 0 when every file succeeded, 1 when any
// failed or a write failed, 2 when the folders are not all the shards of one run (told on
// standard error, and then nothing is written). Needs no QGuiApplication; starts one.
int RunReportMerge(const ReportOptions& options);

// Reads a whole file of the report's (a UTF-8 path) into `bytes`; false when it cannot be opened.
bool ReadReportFile(const std::string& path, std::string& bytes);

// The first argument by which the report starts its worker processes (not a user command).
inline constexpr const char* kReportWorkerCommand = "__report-worker";

// A worker process: args are ReportOptions::passOn. Reads jobs from standard input, one line each:
// SUBDIR, a tab and FILE, both written with EscapeField. For each it writes the file's outputs into
// SUBDIR, the page pictures into SUBDIR/page/ and, last, the findings as SUBDIR/findings, then
// prints "done" on a line of its own. Drawing module state is reset between files, so every file's
// outputs are those of a fresh process. Returns 0 at the end of its input, 2 on bad arguments.
int RunReportWorker(const std::vector<std::string>& args);

// Names inside a file's folder and the output folder.
inline constexpr const char* kFindingsName = "findings";
inline constexpr const char* kPagesName = "page";
inline constexpr const char* kOptionsRecordName = "options.txt";
inline constexpr const char* kShardRecordName = "shard.txt";

// The PNG of `view` ("colormap", "contour", "linegraph", "3d") of data type `slot` in a file's
// folder.
inline std::string ViewPictureName(const std::string& view, int slot) {
  return view + "-" + std::to_string(slot) + ".png";
}

// The picture of `view` of data type `slot` that a file's page is drawn from, in its folder's
// page/: raw pixels (binary PPM), as the report reads it back at once and decoding a PNG would cost
// most of drawing the page.
inline std::string PagePictureName(const std::string& view, int slot) {
  return view + "-" + std::to_string(slot) + ".ppm";
}

// The options record of an output folder: the options that shape the results (passOn), one
// escaped word a line. The reader gives false when the text is not such a record.
std::string EncodeOptionsRecord(const std::vector<std::string>& passOn);
bool DecodeOptionsRecord(const std::string& text, std::vector<std::string>& passOn);

// Tabs, line ends and '%' written as %XX, so that any name, path or message fits a
// tab-separated line; the reader gives false on a broken escape.
std::string EscapeField(const std::string& s);
bool UnescapeField(const std::string& s, std::string& out);

// Pixel sizes of the four views on a report page (colour map, contour, line graph, 3D), drawn
// 1:1 at kReportDpi, so the page never scales a picture.
inline constexpr int kReportDpi = 150;
struct ReportViewSizes {
  QSize colormap, contour, lineGraph, surface;
};
ReportViewSizes PageViewSizes(bool letter);

// One row of the summary: one file and data type.
inline constexpr int kFigureCount = 19;  // size .. sitesCvPct
inline constexpr std::array<const char*, kFigureCount> kFigureNames = {
    "size", "pitchX", "pitchY", "pointCount", "min", "max", "mean", "span", "normDivisor",
    // uniformity of the conditioned grid, then of the measured lattice as read
    "stdDev", "nonUniformityPct", "cvPct", "sitesCount", "sitesMin", "sitesMax", "sitesMean",
    "sitesStdDev", "sitesNonUniformityPct", "sitesCvPct"};
// The position of a figure in kFigureNames (and ReportRow::figures); a name not in the list does
// not compile where a constant is asked for.
constexpr int FigureIndex(std::string_view name) {
  for (int i = 0; i < kFigureCount; ++i) {
    if (name == kFigureNames[static_cast<size_t>(i)]) return i;
  }
  throw "no such figure";
}
struct ReportRow {
  std::optional<int> slot;         // absent when the file failed before a data type was chosen
  std::string name;                // the name's bytes as read
  std::string status;              // "ok", kNotRun or the program's message
  std::vector<std::string> views;  // the views written, in page order ("colormap", ...)
  std::array<std::string, kFigureCount> figures;
  std::array<std::array<std::string, 4>, 2> roi;  // [ROI][min, max, mean, stdDev]; empty: none
  bool Ok() const { return status == "ok"; }
  bool NotRun() const;
  bool operator==(const ReportRow&) const = default;
};
inline constexpr const char* kNotRun = "not run";

// What is known about one input file.
struct ReportEntry {
  std::string file;   // as given
  std::string stem;   // its folder under the output directory
  std::string pages;  // the folder of its page pictures (<view>-<slot>.png); empty when none
  std::vector<ReportRow> rows;
  std::string note;  // told on its pages (a view left out)
  bool done = false;
  bool Failed() const;
  bool operator==(const ReportEntry&) const = default;
};

// The findings file a worker leaves in a file's folder (for the coordinator, --resume and any
// later reader of the folder), naming the input it was made from, and its reader. The reader
// gives false when the text is missing or damaged (the worker did not finish).
std::string EncodeFindings(const std::string& file, const std::vector<ReportRow>& rows,
                           const std::string& note);
bool DecodeFindings(const std::string& text, std::string& file, std::vector<ReportRow>& rows,
                    std::string& note);

// The positions [first, last) of the files that shard `shard` (from 1) of `shards` takes from a
// list of n: contiguous blocks whose sizes differ by at most one, in the list's order.
std::pair<size_t, size_t> ShardBlock(size_t n, int shard, int shards);

// The shard record of a shard's folder: K/N, the whole input list with each file's folder name
// (unique over the whole list), and, once the shard has ended, what it found for each file of its
// block, in order. The reader gives false when the text is not such a record.
struct ShardRecord {
  int shard = 0;
  int shards = 0;
  std::vector<std::string> files;
  std::vector<std::string> stems;
  bool ended = false;
  std::vector<ReportEntry> entries;  // file, stem, rows and note of the block's files
};
std::string EncodeShardRecord(const ShardRecord& record);
bool DecodeShardRecord(const std::string& text, ShardRecord& record);

// summary.csv: the header, then every row of the done entries in their order.
std::string SummaryCsv(const std::vector<ReportEntry>& entries, const ReportOptions& options);

// The whole PDF report as bytes; empty after a message when it cannot be drawn. Needs a
// QGuiApplication. The pages: the first page with the run's counts and options, the run table,
// the trend, then the pages of each file in the list's order.
std::string ReportPdf(const std::vector<ReportEntry>& entries, const ReportOptions& options);

// ReportPdf drawn in steps, so that a run can draw each file's pages while later files are still
// being worked on: the files' pages first, in the list's order, then the overview pages, which
// Finish moves to the front of the document. The same entries give the same bytes as ReportPdf,
// however the calls were spread over time. Needs a QGuiApplication; every call on one thread.
class ReportPdfDrawer {
 public:
  explicit ReportPdfDrawer(const ReportOptions& options);
  ~ReportPdfDrawer();
  ReportPdfDrawer(const ReportPdfDrawer&) = delete;
  ReportPdfDrawer& operator=(const ReportPdfDrawer&) = delete;

  // Draws the pages of the next entry of the list (none for an entry not done or failed).
  void Add(const ReportEntry& entry);

  // The whole report of `entries`: the entries not added yet are drawn, then the overview. When
  // the entries added differ from the first of `entries` (a file done again), it starts over.
  // Empty after a message when the report cannot be drawn. Call it once.
  std::string Finish(const std::vector<ReportEntry>& entries);

 private:
  struct Document;
  const ReportOptions& options_;
  std::vector<ReportEntry> added_;
  std::unique_ptr<Document> document_;
};

}  // namespace orvelle::cli
