// The report's tables: the findings a worker hands over, and summary.csv.
#include <cstdio>
#include <sstream>

#include "cli/CliReport.h"
#include "data/CsvField.h"
#include "data/NameText.h"

namespace orvelle::cli {

std::string EscapeField(const std::string& s) {
  std::string out;
  for (const char c : s) {
    if (c == '%' || c == '\t' || c == '\n' || c == '\r') {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", static_cast<unsigned char>(c));
      out += buf;
    } else {
      out += c;
    }
  }
  return out;
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool UnescapeField(const std::string& s, std::string& out) {
  out.clear();
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out += s[i];
      continue;
    }
    const int hi = i + 1 < s.size() ? HexDigit(s[i + 1]) : -1;
    const int lo = i + 2 < s.size() ? HexDigit(s[i + 2]) : -1;
    if (hi < 0 || lo < 0) return false;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return true;
}

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(
        line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

// "row", slot, name, status, views, figures, ROIs
constexpr size_t kRowFields = 5 + kFigureCount + 8;

std::string ViewsText(const std::vector<std::string>& views) {
  std::string out;
  for (const std::string& v : views) out += (out.empty() ? "" : " ") + v;
  return out;
}

std::vector<std::string> ViewsOf(const std::string& text) {
  std::vector<std::string> views;
  std::istringstream in(text);
  for (std::string v; in >> v;) views.push_back(v);
  return views;
}

}  // namespace

bool ReportEntry::Failed() const {
  for (const ReportRow& r : rows) {
    if (!r.Ok()) return true;
  }
  return false;
}

bool ReportRow::NotRun() const { return status == kNotRun; }

std::string EncodeFindings(const std::string& file, const std::vector<ReportRow>& rows,
                           const std::string& note) {
  std::string out = "findings\nfile\t" + EscapeField(file) + "\n";
  if (!note.empty()) out += "note\t" + EscapeField(note) + "\n";
  for (const ReportRow& r : rows) {
    out += "row\t" + (r.slot ? std::to_string(*r.slot) : std::string()) + "\t" +
           EscapeField(r.name) + "\t" + EscapeField(r.status) + "\t" + ViewsText(r.views);
    for (const std::string& f : r.figures) {
      out += '\t';
      out += EscapeField(f);
    }
    for (const auto& roi : r.roi) {
      for (const std::string& f : roi) {
        out += '\t';
        out += EscapeField(f);
      }
    }
    out += "\n";
  }
  return out + "end\n";
}

bool DecodeFindings(const std::string& text, std::string& file, std::vector<ReportRow>& rows,
                    std::string& note) {
  rows.clear();
  note.clear();
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != "findings") return false;
  if (!std::getline(in, line) || line.rfind("file\t", 0) != 0 ||
      !UnescapeField(line.substr(5), file))
    return false;
  while (std::getline(in, line)) {
    if (line == "end") return true;
    const std::vector<std::string> f = SplitTabs(line);
    if (f[0] == "note" && f.size() == 2) {
      if (!UnescapeField(f[1], note)) return false;
      continue;
    }
    if (f[0] != "row" || f.size() != kRowFields) return false;
    ReportRow r;
    if (!f[1].empty()) {
      int slot = 0;
      for (const char c : f[1]) {
        if (c < '0' || c > '9' || slot > 100) return false;
        slot = slot * 10 + (c - '0');
      }
      r.slot = slot;
    }
    if (!UnescapeField(f[2], r.name) || !UnescapeField(f[3], r.status)) return false;
    r.views = ViewsOf(f[4]);
    size_t at = 5;
    for (std::string& figure : r.figures) {
      if (!UnescapeField(f[at++], figure)) return false;
    }
    for (auto& roi : r.roi) {
      for (std::string& figure : roi) {
        if (!UnescapeField(f[at++], figure)) return false;
      }
    }
    rows.push_back(std::move(r));
  }
  return false;
}

std::string SummaryCsv(const std::vector<ReportEntry>& entries, const ReportOptions& options) {
  const bool roiShown[2] = {options.cli.roi1.has_value(), options.cli.roi2.has_value()};
  std::string out = "file,slot,name,status,views";
  for (const char* name : kFigureNames) out += std::string(",") + name;
  static constexpr const char* kRoiNames[4] = {"Min", "Max", "Mean", "StdDev"};
  for (int k = 0; k < 2; ++k) {
    if (!roiShown[k]) continue;
    for (const char* n : kRoiNames) out += ",roi" + std::to_string(k + 1) + n;
  }
  out += "\n";
  for (const ReportEntry& e : entries) {
    if (!e.done) continue;
    for (const ReportRow& r : e.rows) {
      out += CsvField(e.file) + "," + (r.slot ? std::to_string(*r.slot) : std::string()) + "," +
             CsvField(NameText(r.name)) + "," + CsvField(r.status) + "," +
             CsvField(ViewsText(r.views));
      for (const std::string& f : r.figures) {
        out += ',';
        out += CsvField(f);
      }
      for (int k = 0; k < 2; ++k) {
        if (!roiShown[k]) continue;
        for (const std::string& f : r.roi[k]) {
          out += ',';
          out += CsvField(f);
        }
      }
      out += "\n";
    }
  }
  return out;
}

}  // namespace orvelle::cli
