// orvelle-cli report: a whole measurement run in one command. A coordinating process hands each
// input file to a worker process (the drawing modules keep module state, so one process per
// job), collects what the workers found and writes summary.csv and report.pdf.
#pragma once

#include <QSize>
#include <array>
#include <optional>
#include <string>
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
  // The options that shape every file's results, as given: handed on to the workers and listed
  // on the report's first page.
  std::vector<std::string> passOn;
};

// Parses the arguments after "report". False with a one-line reason on a usage error; `help`
// is set when --help or -h is given. jobs defaults to the number of processors.
bool ParseReportOptions(const std::vector<std::string>& args, ReportOptions& options, bool& help,
                        std::string& error);

// The report command (arguments after "report"). Returns 0 when every file succeeded, 1 when
// any failed, 2 on a usage error, 130 after Ctrl+C (143 after SIGTERM).
int RunReport(const std::vector<std::string>& args);

// The first argument by which the report starts its worker processes (not a user command).
inline constexpr const char* kReportWorkerCommand = "__report-worker";

// One worker job: args are STAGE SUBDIR FILE followed by ReportOptions::passOn. Writes the
// file's outputs into SUBDIR, the page pictures as STAGE-<slot>-<view>.png and the findings as
// STAGE.result. Returns 0, or 1 when anything failed (the reason is in the findings).
int RunReportWorker(const std::vector<std::string>& args);

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
struct ReportRow {
  std::optional<int> slot;  // absent when the file failed before a data type was chosen
  std::string name;         // the name's bytes as read
  std::string status;       // "ok" or the program's message
  std::array<std::string, kFigureCount> figures;
  std::array<std::array<std::string, 4>, 2> roi;  // [ROI][min, max, mean, stdDev]; empty: none
  bool Ok() const { return status == "ok"; }
};

// What is known about one input file.
struct ReportEntry {
  std::string file;   // as given
  std::string stem;   // its folder under the output directory
  std::string stage;  // prefix of its findings and page pictures in the staging folder
  std::vector<ReportRow> rows;
  std::string note;  // told on its pages (a view left out)
  bool done = false;
  bool Failed() const;
};

// The findings file a worker leaves for the coordinator, and its reader. The reader gives
// false when the file is missing or damaged (the worker did not finish).
std::string EncodeFindings(const std::vector<ReportRow>& rows, const std::string& note);
bool DecodeFindings(const std::string& text, std::vector<ReportRow>& rows, std::string& note);

// summary.csv: the header, then every row of the done entries in their order.
std::string SummaryCsv(const std::vector<ReportEntry>& entries, const ReportOptions& options);

// The whole PDF report as bytes; empty after a message when it cannot be drawn. Needs a
// QGuiApplication.
std::string ReportPdf(const std::vector<ReportEntry>& entries, const ReportOptions& options);

}  // namespace orvelle::cli
