// A run split into shards: the shard record each shard leaves in its folder, and report --merge,
// which joins the shard folders into the folder one run over the whole list would have written,
// from those records and the page pictures alone.
#include <QCoreApplication>
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>

#include "cli/CliPicture.h"
#include "cli/CliReport.h"
#include "data/AtomicFile.h"
#include "data/Message.h"
#include "data/Platform.h"

namespace orvelle::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kShardHead = "orvelle report shard";

bool ParseCount(const std::string& text, int& value) {
  if (text.empty() || text.size() > 9) return false;
  value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

int Refuse(const std::string& why) {
  std::fprintf(stderr, "orvelle-cli: report --merge: %s; nothing was written.\n", why.c_str());
  return 2;
}

struct Shard {
  std::string dir;
  ShardRecord record;
  std::vector<std::string> passOn;
};

std::string Which(const Shard& s) {
  return s.dir + " (shard " + std::to_string(s.record.shard) + "/" +
         std::to_string(s.record.shards) + " of " + std::to_string(s.record.files.size()) +
         " files)";
}

std::string Words(const std::vector<std::string>& list) {
  std::string out;
  for (const std::string& w : list) out += (out.empty() ? "" : " ") + w;
  return out.empty() ? std::string("none") : out;
}

// Hard links where the file system allows them (the shard stays whole and nothing is
// copied), copies elsewhere. False with the path that failed.
bool LinkTree(const fs::path& from, const fs::path& to, std::string& failed) {
  std::error_code ec;
  fs::create_directories(to, ec);
  if (ec) return failed = Utf8FromPath(to), false;
  for (fs::recursive_directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path target = to / it->path().lexically_relative(from);
    if (it->is_directory(ec)) {
      fs::create_directories(target, ec);
      if (ec) return failed = Utf8FromPath(target), false;
      continue;
    }
    fs::create_hard_link(it->path(), target, ec);
    if (ec) {
      ec.clear();
      fs::copy_file(it->path(), target, fs::copy_options::overwrite_existing, ec);
      if (ec) return failed = Utf8FromPath(target), false;
    }
  }
  if (ec) return failed = Utf8FromPath(from), false;
  return true;
}

}  // namespace

std::pair<size_t, size_t> ShardBlock(size_t n, int shard, int shards) {
  const auto at = [&](int k) {
    return static_cast<size_t>(static_cast<unsigned long long>(k) * n /
                               static_cast<unsigned long long>(shards));
  };
  return {at(shard - 1), at(shard)};
}

std::string EncodeShardRecord(const ShardRecord& r) {
  std::string out = std::string(kShardHead) + "\nshard\t" + std::to_string(r.shard) + "\t" +
                    std::to_string(r.shards) + "\n";
  for (size_t i = 0; i < r.files.size(); ++i) {
    out += "file\t" + EscapeField(r.stems[i]) + "\t" + EscapeField(r.files[i]) + "\n";
  }
  if (!r.ended) return out;
  out += "ended\n";
  for (const ReportEntry& e : r.entries) out += EncodeFindings(e.file, e.rows, e.note);
  return out;
}

bool DecodeShardRecord(const std::string& text, ShardRecord& r) {
  r = ShardRecord();
  if (text.empty() || text.back() != '\n') return false;
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  if (lines.size() < 2 || lines[0] != kShardHead) return false;
  {
    const std::string& line = lines[1];
    const size_t a = line.find('\t'), b = line.rfind('\t');
    if (line.substr(0, a) != "shard" || a == b ||
        !ParseCount(line.substr(a + 1, b - a - 1), r.shard) ||
        !ParseCount(line.substr(b + 1), r.shards) || r.shard < 1 || r.shard > r.shards) {
      return false;
    }
  }
  size_t i = 2;
  for (; i < lines.size() && lines[i].rfind("file\t", 0) == 0; ++i) {
    const std::string& line = lines[i];
    const size_t tab = line.find('\t', 5);
    std::string stem, file;
    if (tab == std::string::npos || !UnescapeField(line.substr(5, tab - 5), stem) ||
        !UnescapeField(line.substr(tab + 1), file)) {
      return false;
    }
    r.stems.push_back(std::move(stem));
    r.files.push_back(std::move(file));
  }
  if (i == lines.size()) return true;  // the shard has not ended
  if (lines[i] != "ended") return false;
  r.ended = true;
  const auto [first, last] = ShardBlock(r.files.size(), r.shard, r.shards);
  std::string block;
  for (++i; i < lines.size(); ++i) {
    block += lines[i] + "\n";
    if (lines[i] != "end") continue;
    const size_t index = first + r.entries.size();
    ReportEntry e;
    if (index >= last || !DecodeFindings(block, e.file, e.rows, e.note) ||
        e.file != r.files[index]) {
      return false;
    }
    e.stem = r.stems[index];
    e.done = true;
    r.entries.push_back(std::move(e));
    block.clear();
  }
  return block.empty() && r.entries.size() == last - first;
}

int RunReportMerge(const ReportOptions& options) {
  std::vector<Shard> shards;
  for (const std::string& dir : options.files) {
    Shard s;
    s.dir = dir;
    std::string text;
    if (!ReadReportFile(Utf8FromPath(PathFromUtf8(dir) / kShardRecordName), text) ||
        !DecodeShardRecord(text, s.record)) {
      return Refuse(dir + " is not a shard folder: it holds no readable " + kShardRecordName +
                    ", which report --shard K/N writes");
    }
    if (!ReadReportFile(Utf8FromPath(PathFromUtf8(dir) / kOptionsRecordName), text) ||
        !DecodeOptionsRecord(text, s.passOn))
      return Refuse(dir + " holds no readable " + kOptionsRecordName);
    shards.push_back(std::move(s));
  }

  const Shard& first = shards.front();
  std::map<int, const Shard*> byIndex;
  for (const Shard& s : shards) {
    if (s.record.shards != first.record.shards || s.record.files != first.record.files ||
        s.record.stems != first.record.stems) {
      return Refuse(Which(s) + " and " + Which(first) + " are not shards of one run: their " +
                    (s.record.files != first.record.files ? "lists of files" : "shard counts") +
                    " differ");
    }
    if (s.passOn != first.passOn) {
      return Refuse(s.dir + " was run with other options (" + Words(s.passOn) + ") than " +
                    first.dir + " (" + Words(first.passOn) + ")");
    }
    const auto [at, fresh] = byIndex.emplace(s.record.shard, &s);
    if (!fresh) {
      return Refuse("shard " + std::to_string(s.record.shard) + "/" +
                    std::to_string(s.record.shards) + " is given twice: " + at->second->dir +
                    " and " + s.dir);
    }
  }
  const int count = first.record.shards;
  std::string missing;
  for (int k = 1; k <= count; ++k) {
    if (byIndex.count(k) == 0) {
      missing += (missing.empty() ? "" : ", ") + std::to_string(k) + "/" + std::to_string(count);
    }
  }
  if (!missing.empty()) return Refuse("missing shard " + missing);

  for (const auto& [k, s] : byIndex) {
    const std::string again = "report --shard " + std::to_string(k) + "/" + std::to_string(count) +
                              " --resume -o " + s->dir;
    if (!s->record.ended) return Refuse(Which(*s) + " has not finished: finish it with " + again);
    for (const ReportEntry& e : s->record.entries) {
      if (!e.rows.empty() && e.rows[0].NotRun())
        return Refuse(Which(*s) + " was stopped before all its files were done: go on with " +
                      again);
      // What the pages are drawn from must be there.
      for (const ReportRow& r : e.rows) {
        if (!r.Ok() || !r.slot) continue;
        for (const std::string& view : r.views) {
          const fs::path picture = PathFromUtf8(s->dir) / PathFromUtf8(e.stem) / kPagesName /
                                   PagePictureName(view, *r.slot);
          std::error_code ec;
          if (!fs::is_regular_file(picture, ec))
            return Refuse(Utf8FromPath(picture) + " is missing: run " + Which(*s) + " again");
        }
      }
    }
  }

  // The options as the shards were given them, read by the parser that read them there.
  ReportOptions drawing;
  {
    std::vector<std::string> args = first.passOn;
    args.insert(args.end(), {"-o", options.outDir, "shard"});
    bool help = false;
    std::string error;
    if (!ParseReportOptions(args, drawing, help, error))
      return Refuse("the options of " + first.dir + " cannot be read (" + error + ")");
    drawing.passOn = first.passOn;
  }

  std::error_code ec;
  const fs::path out = PathFromUtf8(options.outDir);
  if (fs::exists(out, ec) && (!fs::is_directory(out, ec) || !fs::is_empty(out, ec))) {
    return Refuse(options.outDir + " is not an empty folder: merge into a new one");
  }

  fs::create_directories(out, ec);
  if (!fs::is_directory(out, ec)) {
    ShowMessage("Folder create error. -> " + options.outDir);
    return 1;
  }
  if (!WriteFileAtomically(Utf8FromPath(out / kOptionsRecordName),
                           EncodeOptionsRecord(first.passOn))) {
    ShowMessage("File write error. -> " + Utf8FromPath(out / kOptionsRecordName));
    return 1;
  }
  std::vector<ReportEntry> entries;
  bool anyFailed = false;
  for (const auto& [k, s] : byIndex) {
    for (ReportEntry e : s->record.entries) {
      const fs::path from = PathFromUtf8(s->dir) / PathFromUtf8(e.stem);
      if (std::any_of(e.rows.begin(), e.rows.end(), [](const ReportRow& r) { return r.Ok(); })) {
        std::string failed;
        if (!LinkTree(from, out / PathFromUtf8(e.stem), failed)) {
          ShowMessage("File write error. -> " + failed);
          return 1;
        }
        e.pages = Utf8FromPath(out / PathFromUtf8(e.stem) / kPagesName);
      }
      anyFailed = anyFailed || e.Failed();
      entries.push_back(std::move(e));
    }
  }

  std::unique_ptr<QGuiApplication> app;
  if (QCoreApplication::instance() == nullptr) app = StartGuiApplication(false);
  const std::string summary = Utf8FromPath(out / "summary.csv");
  if (!WriteFileAtomically(summary, SummaryCsv(entries, drawing))) {
    ShowMessage("File write error. -> " + summary);
    return 1;
  }
  const std::string pdf = ReportPdf(entries, drawing);
  if (pdf.empty()) return 1;
  const std::string pdfPath = Utf8FromPath(out / "report.pdf");
  if (!WriteFileAtomically(pdfPath, pdf)) {
    ShowMessage("File write error. -> " + pdfPath);
    return 1;
  }
  if (!options.quiet) {
    std::fprintf(stderr, "report: %d shards, %zu files merged into %s\n", count, entries.size(),
                 options.outDir.c_str());
  }
  return anyFailed ? 1 : 0;
}

}  // namespace orvelle::cli
