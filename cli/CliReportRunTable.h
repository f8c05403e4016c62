// The report's run overview: a table of every file's measured-site figures and, per data type, a
// trend chart of the files in run order; and the text helpers the report's pages share.
#pragma once

#include <QPainter>
#include <QPdfWriter>
#include <QString>
#include <string>
#include <vector>

#include "cli/CliReport.h"

namespace orvelle::cli {

// A path the program holds (UTF-8 on every system) as text; a byte that spells no character
// shows as U+FFFD.
QString FileText(const std::string& path);

// The last component of a path ("a/b/c.thk" -> "c.thk"; on Windows also "a\\c.thk" -> "c.thk").
std::string FileName(const std::string& path);

// A figure as a person reads it: a number with a fraction or exponent to six significant
// digits; whole numbers and anything that is not a number unchanged.
QString SignificantFigure(const std::string& figure);

// The cover page's line on the colour scale: the one --range gives, the run's common range per
// data type, or each file its own.
QString ScaleText(const ReportOptions& options);

// Starts a new page and draws the run table (one row per file and data type of the done
// entries, failed files with their message), then from a new page a trend chart per data type
// shown (two a page; none without a measured file), as vector lines and text. Leaves the last
// page open.
void DrawRunOverview(QPdfWriter& writer, QPainter& painter,
                     const std::vector<ReportEntry>& entries);

}  // namespace orvelle::cli
