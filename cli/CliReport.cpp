// The coordinating process of orvelle-cli report: the file list (or a watched folder, or one
// shard of the list), the pool of long-lived worker processes and their time limit, the progress
// line, Ctrl+C, --resume, and summary.csv and report.pdf.
#include "cli/CliReport.h"

#include <unistd.h>

#include <QGuiApplication>
#include <QHashFunctions>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include "cli/Cli.h"
#include "cli/CliOptions.h"
#include "cli/CliPicture.h"
#include "cli/ReportProcess.h"
#include "data/AtomicFile.h"
#include "data/Message.h"
#include "data/Platform.h"

namespace orvelle::cli {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kPollInterval = std::chrono::milliseconds(20);
constexpr double kScanInterval = 0.25;  // seconds between looks into a watched folder
constexpr int kWriterNice = 10;         // the priority of a rewrite drawn while files arrive

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

std::string Clocklike(double seconds) {
  const long s = std::max(0L, std::lround(seconds));
  char buf[32];
  if (s >= 3600) {
    std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  } else {
    std::snprintf(buf, sizeof buf, "%ld:%02ld", s / 60, s % 60);
  }
  return buf;
}

// The progress report on standard error: one line updated in place on a terminal, a plain line
// per finished file otherwise, nothing when quiet. Failures are always told.
class Progress {
 public:
  Progress(bool quiet, std::optional<std::string> watching)
      : quiet_(quiet), terminal_(::isatty(STDERR_FILENO) == 1), watching_(std::move(watching)) {}

  void Start(int total) {
    total_ = total;
    start_ = Clock::now();
    Draw();
  }

  void Failure(const std::string& text) {
    Clear();
    std::fprintf(stderr, "%s\n", text.c_str());
    Draw();
  }

  void FileDone(const std::string& file, bool failed) {
    ++done_;
    if (failed) ++failed_;
    const Clock::time_point now = Clock::now();
    if (total_ > done_) {
      estimateAt_ = now;
      estimate_ = Seconds(now - start_) / done_ * (total_ - done_);
    }
    if (quiet_) return;
    if (terminal_) {
      Draw();
      return;
    }
    if (watching_) {
      std::fprintf(stderr, "report: %d %s %s\n", done_, file.c_str(), failed ? "failed" : "ok");
    } else {
      std::fprintf(stderr, "report: %d/%d %s %s\n", done_, total_, file.c_str(),
                   failed ? "failed" : "ok");
    }
  }

  void AddTotal(int more) { total_ += more; }

  // Keeps the time left counting down between files.
  void Tick() {
    if (!terminal_ || quiet_ || Clock::now() - drawnAt_ < std::chrono::milliseconds(500)) return;
    Draw();
  }

  void Finish() {
    if (terminal_ && !quiet_ && shown_) std::fputc('\n', stderr);
    shown_ = false;
  }

  int Done() const { return done_; }
  int Failed() const { return failed_; }

 private:
  void Clear() {
    if (terminal_ && shown_) std::fputs("\r\033[K", stderr);
  }

  void Draw() {
    if (!terminal_ || quiet_) return;
    std::string line;
    if (watching_) {
      line = "report: " + std::to_string(done_) + " files, " + std::to_string(failed_) +
             " failed, watching " + *watching_;
    } else {
      line = "report: " + std::to_string(done_) + "/" + std::to_string(total_) + " files, " +
             std::to_string(failed_) + " failed";
      if (done_ > 0 && done_ < total_) {
        line += ", " + Clocklike(estimate_ - Seconds(Clock::now() - estimateAt_)) + " left";
      }
    }
    std::fprintf(stderr, "\r%s\033[K", line.c_str());
    std::fflush(stderr);
    shown_ = true;
    drawnAt_ = Clock::now();
  }

  bool quiet_;
  bool terminal_;
  std::optional<std::string> watching_;
  int total_ = 0;
  int done_ = 0;
  int failed_ = 0;
  bool shown_ = false;
  Clock::time_point start_, estimateAt_, drawnAt_;
  double estimate_ = 0;
};

// A file's folder under the output directory: its stem, made unique among the inputs (and
// never the name of the report's own files).
class StemNames {
 public:
  StemNames() : used_{"summary.csv", "report.pdf", kOptionsRecordName, kShardRecordName} {}
  std::string Take(const std::string& file) {
    std::string stem = Utf8FromPath(PathFromUtf8(file).stem());
    if (stem.empty() || stem == "." || stem == "..") stem = "file";
    std::string name = stem;
    for (int n = 2; used_.count(name) != 0; ++n) name = stem + "-" + std::to_string(n);
    used_.insert(name);
    return name;
  }

 private:
  std::set<std::string> used_;
};

// A worker process and the file it is busy with. Jobs go down its standard input, a line each;
// it answers "done" on its standard output when a file's findings are written.
struct Worker {
  ReportProcess process;
  std::string pending;
  std::optional<size_t> entry;
  Clock::time_point since;
};

std::string NumberText(double v) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// Seconds between rewrites of summary.csv and report.pdf while a watched folder keeps giving
// files; ORVELLE_REPORT_REWRITE_SECONDS sets it (tests use a short one).
double RewriteInterval() {
  if (const char* v = std::getenv("ORVELLE_REPORT_REWRITE_SECONDS")) {
    double s = 0;
    const char* end = v + std::strlen(v);
    const auto r = std::from_chars(v, end, s);
    if (r.ec == std::errc() && r.ptr == end && s >= 0) return s;
  }
  return 5.0;
}

// report.pdf drawn on a thread beside the workers: each file's pages as soon as the file and
// every file before it in the list are done (the list's order, not the order they finish in, so
// the bytes do not depend on timing), which leaves only the overview pages to the run's end.
class PdfBeside {
 public:
  // Needs the GUI application.
  explicit PdfBeside(const ReportOptions& options) : options_(options) {
    thread_ = std::thread([this] { Draw(); });
  }

  ~PdfBeside() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

  PdfBeside(const PdfBeside&) = delete;
  PdfBeside& operator=(const PdfBeside&) = delete;

  // The next entry of the list, done.
  void Add(const ReportEntry& entry) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      todo_.push_back(entry);
    }
    wake_.notify_all();
  }

  // Starts the end of the report of `entries` (ReportPdfDrawer::Finish); Result waits for it.
  void Finish(std::vector<ReportEntry> entries) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      final_ = std::move(entries);
    }
    wake_.notify_all();
  }
  std::string Result() {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [this] { return result_.has_value(); });
    return *result_;
  }

 private:
  void Draw() {
    // The stop signals are the coordinator's: its main thread is the one to see them.
    KeepStopSignalsFromThisThread();
    ReportPdfDrawer drawer(options_);
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
      wake_.wait(lock, [this] { return quit_ || !todo_.empty() || final_.has_value(); });
      if (!todo_.empty()) {
        const ReportEntry entry = std::move(todo_.front());
        todo_.pop_front();
        lock.unlock();
        drawer.Add(entry);
        lock.lock();
      } else if (final_) {
        const std::vector<ReportEntry> entries = std::move(*final_);
        final_.reset();
        lock.unlock();
        std::string pdf = drawer.Finish(entries);
        lock.lock();
        result_ = std::move(pdf);
        wake_.notify_all();
      } else if (quit_) {
        return;
      }
    }
  }

  const ReportOptions& options_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<ReportEntry> todo_;
  std::optional<std::vector<ReportEntry>> final_;
  std::optional<std::string> result_;
  bool quit_ = false;
  std::thread thread_;
};

class ReportRun {
 public:
  explicit ReportRun(const ReportOptions& options)
      : options_(options), progress_(options.quiet, options.watchDir) {
    // The workers get the environment the command was started with: the drawing set-up of
    // this process must not decide whether a worker can reach the display.
    environment_ = ReportEnvironment();
  }

  int Run() {
    std::error_code ec;
    if (options_.resume && (!CheckOptionsRecord() || !CheckShardRecord())) return 2;
    const fs::path outDir = PathFromUtf8(options_.outDir);
    fs::create_directories(outDir, ec);
    if (!fs::is_directory(outDir, ec)) {
      ShowMessage("Folder create error. -> " + options_.outDir);
      return 1;
    }
    if (options_.watchDir && !fs::is_directory(PathFromUtf8(*options_.watchDir), ec)) {
      ShowMessage("Folder open error. -> " + *options_.watchDir);
      return 1;
    }
    const std::string record = Utf8FromPath(outDir / kOptionsRecordName);
    if (!WriteFileAtomically(record, EncodeOptionsRecord(options_.passOn))) {
      ShowMessage("File write error. -> " + record);
      return 1;
    }
    self_ = ReportSelfPath();
    InstallReportStopHandlers();

    if (options_.shards > 0) {
      // Folder names come from the whole list, so that no two shards take the same one.
      const auto [first, last] = ShardBlock(options_.files.size(), options_.shard, options_.shards);
      for (size_t i = 0; i < options_.files.size(); ++i) {
        allStems_.push_back(stems_.Take(options_.files[i]));
        if (i >= first && i < last) AddEntry(options_.files[i], allStems_.back());
      }
    } else {
      for (const std::string& f : options_.files) AddEntry(f);
    }
    // Written now without results, so that a shard that never ends cannot pass for finished.
    if (!WriteShardRecord()) return 1;
    progress_.Start(static_cast<int>(entries_.size()));
    if (options_.watchDir) WriteOutputs();

    Clock::time_point lastScan{};
    while (ReportStopSignal() == 0) {
      Dispatch();
      // Once the first workers are on their way: Qt's start beside theirs.
      if (!app_ && QCoreApplication::instance() == nullptr) app_ = StartGuiApplication(false);
      if (!options_.watchDir && !beside_) beside_ = std::make_unique<PdfBeside>(options_);
      const bool finished = Collect();
      Feed();
      const bool idle = queue_.empty() && Busy() == 0;
      if (!options_.watchDir && idle) break;
      if (options_.watchDir) {
        if (finished) retryWrite_ = true;
        TakeWritten(false);
        // While files keep coming, a rewrite at most every few seconds (and never busy more than
        // an eighth of the time), drawn beside the workers, so a long watch stays linear; at
        // once when all is quiet.
        const double since = Seconds(Clock::now() - lastWrite_);
        const bool due = since >= std::max(rewriteInterval_, 8 * lastWriteCost_);
        if (!writing_.valid() && dirty_ && retryWrite_ && (due || (idle && Settled()))) {
          StartWrite();
        }
        if (Seconds(Clock::now() - lastScan) >= kScanInterval) {
          Scan();
          lastScan = Clock::now();
        }
      }
      progress_.Tick();
    }
    const int stopped = ReportStopSignal();
    if (stopped != 0) {
      StopWorkers();
      MarkNotRun();
    } else {
      // Every file is done: the idle workers end while the outputs are written.
      CloseWorkers();
    }
    bool written = WriteOutputs();
    written = WriteShardRecord() && written;
    WaitForWorkers();
    progress_.Finish();
    if (stopped != 0) {
      if (!options_.quiet) {
        std::fprintf(stderr, "report: stopped after %d file(s)\n", progress_.Done());
      }
      return 128 + stopped;
    }
    if (!written) return 1;
    return progress_.Failed() > 0 ? 1 : 0;
  }

 private:
  // --resume into a folder made with other options is refused before anything is written.
  bool CheckOptionsRecord() {
    const std::string path = Utf8FromPath(PathFromUtf8(options_.outDir) / kOptionsRecordName);
    std::string text;
    if (!ReadReportFile(path, text)) return true;  // a folder without a record: nothing to keep
    std::vector<std::string> before;
    if (DecodeOptionsRecord(text, before) && before == options_.passOn) return true;
    const auto words = [](const std::vector<std::string>& list) {
      std::string out;
      for (const std::string& w : list) out += (out.empty() ? "" : " ") + w;
      return out.empty() ? std::string("none") : out;
    };
    std::fprintf(stderr,
                 "orvelle-cli: report --resume: %s was written with other options (%s); this "
                 "run has %s. Give the same options, or another folder.\n",
                 options_.outDir.c_str(), words(before).c_str(), words(options_.passOn).c_str());
    return false;
  }

  // --resume of a shard into the folder of another shard (or of another list) is refused
  // before anything is written: it would leave that shard's record behind.
  bool CheckShardRecord() {
    std::string text;
    ShardRecord before;
    if (options_.shards == 0 ||
        !ReadReportFile(Utf8FromPath(PathFromUtf8(options_.outDir) / kShardRecordName), text) ||
        !DecodeShardRecord(text, before)) {
      return true;
    }
    if (before.shard == options_.shard && before.shards == options_.shards &&
        before.files == options_.files) {
      return true;
    }
    std::fprintf(stderr,
                 "orvelle-cli: report --resume: %s holds shard %d/%d of %zu files; this run is "
                 "shard %d/%d of %zu files. Give the same --shard and files, or another folder.\n",
                 options_.outDir.c_str(), before.shard, before.shards, before.files.size(),
                 options_.shard, options_.shards, options_.files.size());
    return false;
  }

  // The shard record: K/N and the whole list, and what the block's files gave once the run
  // has ended. A whole run leaves none behind, so its folder is never taken for a shard.
  bool WriteShardRecord() {
    const fs::path path = PathFromUtf8(options_.outDir) / kShardRecordName;
    if (options_.shards == 0) {
      std::error_code ignored;
      fs::remove(path, ignored);
      return true;
    }
    ShardRecord record;
    record.shard = options_.shard;
    record.shards = options_.shards;
    record.files = options_.files;
    record.stems = allStems_;
    record.ended =
        std::all_of(entries_.begin(), entries_.end(), [](const ReportEntry& e) { return e.done; });
    if (record.ended) record.entries = entries_;
    if (!WriteFileAtomically(Utf8FromPath(path), EncodeShardRecord(record))) {
      ShowMessage("File write error. -> " + Utf8FromPath(path));
      return false;
    }
    return true;
  }

  size_t AddEntry(const std::string& file, std::string stem = {}) {
    ReportEntry e;
    e.file = file;
    e.stem = stem.empty() ? stems_.Take(file) : std::move(stem);
    if (!options_.resume) {
      // Findings of an earlier run (perhaps with other options) must not pass for this run's.
      std::error_code ignored;
      fs::remove(PathFromUtf8(options_.outDir) / PathFromUtf8(e.stem) / kFindingsName, ignored);
    }
    entries_.push_back(std::move(e));
    queue_.push_back(entries_.size() - 1);
    return entries_.size() - 1;
  }

  size_t Busy() const {
    return static_cast<size_t>(std::count_if(workers_.begin(), workers_.end(),
                                             [](const Worker& w) { return w.entry.has_value(); }));
  }

  // The folder's findings, when --resume may keep them: complete, for this very file, newer
  // than it, with every row ok and every output in place.
  bool TakeFinished(size_t index) {
    ReportEntry& e = entries_[index];
    const fs::path folder = PathFromUtf8(options_.outDir) / PathFromUtf8(e.stem);
    const std::string findings = Utf8FromPath(folder / kFindingsName);
    const std::optional<FileStamp> input = ReportFileStamp(e.file);
    const std::optional<FileStamp> made = ReportFileStamp(findings);
    if (!input || !made) return false;
    if (std::make_pair(made->seconds, made->nanoseconds) <=
        std::make_pair(input->seconds, input->nanoseconds)) {
      return false;
    }
    std::string text, file, note;
    std::vector<ReportRow> rows;
    if (!ReadReportFile(findings, text) || !DecodeFindings(text, file, rows, note) ||
        file != e.file || rows.empty()) {
      return false;
    }
    std::error_code ec;
    if (!fs::is_regular_file(folder / "info.json", ec)) return false;
    for (const ReportRow& r : rows) {
      if (!r.Ok() || !r.slot) return false;
      for (const std::string& v : r.views) {
        if (!fs::is_regular_file(folder / ViewPictureName(v, *r.slot), ec) ||
            !fs::is_regular_file(folder / kPagesName / PagePictureName(v, *r.slot), ec)) {
          return false;
        }
      }
      if ((options_.cli.roi1 || options_.cli.roi2) &&
          !fs::is_regular_file(folder / ("roi-" + std::to_string(*r.slot) + ".csv"), ec)) {
        return false;
      }
    }
    Adopt(index, folder, std::move(rows), std::move(note));
    return true;
  }

  // The entry's rows and note as its folder's findings give them; the entry is then finished.
  void Adopt(size_t index, const fs::path& folder, std::vector<ReportRow> rows, std::string note) {
    ReportEntry& e = entries_[index];
    e.rows = std::move(rows);
    e.note = std::move(note);
    e.pages = Utf8FromPath(folder / kPagesName);
    Finished(index);
  }

  // Hands queued files to free workers, starting workers up to --jobs as needed.
  void Dispatch() {
    while (!queue_.empty()) {
      const size_t index = queue_.front();
      if (options_.resume && TakeFinished(index)) {
        queue_.pop_front();
        continue;
      }
      auto free = std::find_if(workers_.begin(), workers_.end(),
                               [](const Worker& w) { return !w.entry.has_value(); });
      if (free == workers_.end()) {
        if (workers_.size() >= static_cast<size_t>(options_.jobs)) return;
        if (!StartWorker()) {
          queue_.pop_front();
          Fail(index, startError_);
          continue;
        }
        free = workers_.end() - 1;
      }
      queue_.pop_front();
      Assign(*free, index);
    }
  }

  bool StartWorker() {
    std::vector<std::string> args = {self_, kReportWorkerCommand};
    args.insert(args.end(), options_.passOn.begin(), options_.passOn.end());
    args.insert(args.end(), options_.workerArgs.begin(), options_.workerArgs.end());
    const std::optional<ReportProcess> process =
        StartReportProcess(self_, args, environment_, startError_);
    if (!process) return false;
    Worker w;
    w.process = *process;
    workers_.push_back(w);
    return true;
  }

  void Assign(Worker& worker, size_t index) {
    ReportEntry& e = entries_[index];
    const fs::path subdir = PathFromUtf8(options_.outDir) / PathFromUtf8(e.stem);
    std::error_code ec;
    fs::create_directory(subdir, ec);
    if (!fs::is_directory(subdir, ec)) {
      Fail(index, "Folder create error. -> " + Utf8FromPath(subdir));
      return;
    }
    fs::remove(subdir / kFindingsName, ec);  // the answer is the findings this job writes
    const std::string line = EscapeField(Utf8FromPath(subdir)) + "\t" + EscapeField(e.file) + "\n";
    worker.entry = index;
    worker.since = Clock::now();
    // A worker that died is found out by its closed answers.
    SendToReportProcess(worker.process, line);
  }

  // Waits a little for answers, and takes those that came; true when any file finished.
  bool Collect() {
    std::vector<ReportProcess> processes;
    for (const Worker& w : workers_) processes.push_back(w.process);
    const std::vector<bool> ready = WaitForReportAnswers(processes, kPollInterval);
    bool any = false;
    std::vector<size_t> ended;
    for (size_t i = 0; i < workers_.size(); ++i) {
      if (!ready[i]) continue;
      Worker& w = workers_[i];
      char buf[256];
      const long n = ReadReportAnswers(w.process, buf, sizeof buf);
      if (n < 0) continue;
      if (n <= 0) {
        ended.push_back(i);
        continue;
      }
      w.pending.append(buf, static_cast<size_t>(n));
      for (size_t eol; (eol = w.pending.find('\n')) != std::string::npos;) {
        const std::string answer = w.pending.substr(0, eol);
        w.pending.erase(0, eol + 1);
        if (answer != "done" || !w.entry) continue;
        const size_t index = *w.entry;
        w.entry.reset();
        TakeFindings(index);
        any = true;
      }
    }
    for (auto it = ended.rbegin(); it != ended.rend(); ++it) {
      any = WorkerEnded(*it, std::string()) || any;
    }
    const double timeout = options_.timeoutSeconds;
    for (size_t i = workers_.size(); i-- > 0;) {
      const Worker& w = workers_[i];
      if (!w.entry || Seconds(Clock::now() - w.since) < timeout) continue;
      StopReportProcess(w.process, true);
      any = WorkerEnded(i, "timed out after " + NumberText(timeout) + " s") || any;
    }
    return any;
  }

  // Takes a worker that ended (or was killed) out of the pool; its file, if it had one, failed
  // with `why` (or a note of how the worker ended). True when a file failed.
  bool WorkerEnded(size_t i, const std::string& why) {
    const Worker w = workers_[i];
    workers_.erase(workers_.begin() + static_cast<std::ptrdiff_t>(i));
    CloseReportProcessPipes(w.process);
    const int signal = WaitReportProcess(w.process);
    if (!w.entry) return false;
    RemoveTemporaries(*w.entry);
    if (!why.empty()) {
      Fail(*w.entry, why);
      return true;
    }
    std::string message = "The report of this file stopped before it was complete";
    if (signal != 0) message += " (signal " + std::to_string(signal) + ")";
    Fail(*w.entry, message + ".");
    return true;
  }

  // The findings the worker wrote for the file; without them the file failed, or with
  // `mayLack` stays unfinished. True when taken.
  bool TakeFindings(size_t index, bool mayLack = false) {
    ReportEntry& e = entries_[index];
    const fs::path folder = PathFromUtf8(options_.outDir) / PathFromUtf8(e.stem);
    std::string text, file, note;
    std::vector<ReportRow> rows;
    if (!ReadReportFile(Utf8FromPath(folder / kFindingsName), text) ||
        !DecodeFindings(text, file, rows, note) || file != e.file) {
      if (!mayLack) Fail(index, "The report of this file stopped before it was complete.");
      return false;
    }
    Adopt(index, folder, std::move(rows), std::move(note));
    return true;
  }

  void Fail(size_t index, const std::string& message) {
    ReportEntry& e = entries_[index];
    ReportRow row;
    if (!options_.allTypes) row.slot = options_.cli.type;
    row.status = message;
    e.rows = {row};
    e.note.clear();
    e.pages.clear();
    Finished(index);
  }

  void Finished(size_t index) {
    ReportEntry& e = entries_[index];
    e.done = true;
    dirty_ = true;
    for (const ReportRow& r : e.rows) {
      if (r.Ok()) continue;
      std::string where = e.file;
      if (options_.allTypes && r.slot) where += " (type " + std::to_string(*r.slot) + ")";
      progress_.Failure(where + ": " + r.status);
    }
    if (std::none_of(e.rows.begin(), e.rows.end(), [](const ReportRow& r) { return r.Ok(); })) {
      // A file that gave nothing leaves no folder behind.
      const fs::path folder = PathFromUtf8(options_.outDir) / PathFromUtf8(e.stem);
      std::error_code ignored;
      fs::remove(folder / kFindingsName, ignored);
      fs::remove(folder / kPagesName, ignored);
      fs::remove(folder, ignored);
      e.pages.clear();
    }
    progress_.FileDone(e.file, e.Failed());
    const auto w = watched_.find(e.file);
    if (w != watched_.end()) w->second.inFlight = false;
  }

  // Hands the drawing beside the workers each file that is done after all before it.
  void Feed() {
    if (!beside_) return;
    for (; fed_ < entries_.size() && entries_[fed_].done; ++fed_) beside_->Add(entries_[fed_]);
  }

  // After a stop signal: the files that did not finish are told as not run.
  void MarkNotRun() {
    for (ReportEntry& e : entries_) {
      if (e.done) continue;
      ReportRow row;
      if (!options_.allTypes) row.slot = options_.cli.type;
      row.status = kNotRun;
      e.rows = {row};
      e.done = true;
    }
  }

  // True when no file in the watched folder is waiting to settle.
  bool Settled() const {
    return std::all_of(watched_.begin(), watched_.end(), [](const auto& w) {
      return w.second.key == w.second.reported || w.second.key.empty();
    });
  }

  // Looks into the watched folder: a .thk file whose size and time have not changed for the
  // settle time is complete, and is reported once for every new state.
  void Scan() {
    std::error_code ec;
    std::vector<std::string> names;
    // A file's name is the folder as given, '/' and its own name, on every system alike, so
    // that summary.csv names it with the same bytes.
    std::string folder = *options_.watchDir;
    if (!folder.empty() && folder.back() != '/' &&
        folder.back() != static_cast<char>(fs::path::preferred_separator)) {
      folder += '/';
    }
    for (fs::directory_iterator it(PathFromUtf8(*options_.watchDir), ec), end; !ec && it != end;
         it.increment(ec)) {
      std::string ext = Utf8FromPath(it->path().extension());
      std::transform(ext.begin(), ext.end(), ext.begin(),
                     [](unsigned char c) { return std::tolower(c); });
      if (ext == ".thk") names.push_back(folder + Utf8FromPath(it->path().filename()));
    }
    std::sort(names.begin(), names.end());
    const Clock::time_point now = Clock::now();
    for (const std::string& path : names) {
      const std::optional<FileStamp> st = ReportFileStamp(path);
      if (!st) continue;
      const std::string key = std::to_string(st->size) + ":" + std::to_string(st->seconds) + "." +
                              std::to_string(st->nanoseconds);
      Watched& w = watched_[path];
      if (key != w.key) {
        w.key = key;
        w.since = now;
        continue;
      }
      if (w.inFlight || key == w.reported || Seconds(now - w.since) < options_.settleSeconds)
        continue;
      w.reported = key;
      w.inFlight = true;
      if (w.entry) {
        queue_.push_back(*w.entry);
      } else {
        w.entry = AddEntry(path);
      }
      progress_.AddTotal(1);
    }
  }

  // Writes summary.csv and report.pdf whole; the failure's message (empty when already told),
  // or nothing. Needs the GUI application; may run beside the coordinator's own work.
  // `beside`: the drawing that has the files' pages already, or none.
  static std::optional<std::string> WriteBoth(const std::vector<ReportEntry>& entries,
                                              const ReportOptions& options,
                                              PdfBeside* beside = nullptr) {
    if (beside) beside->Finish(entries);
    const std::string summary = Utf8FromPath(PathFromUtf8(options.outDir) / "summary.csv");
    if (!WriteFileAtomically(summary, SummaryCsv(entries, options))) {
      return "File write error. -> " + summary;
    }
    const std::string pdf = beside ? beside->Result() : ReportPdf(entries, options);
    if (pdf.empty()) return std::string();
    const std::string path = Utf8FromPath(PathFromUtf8(options.outDir) / "report.pdf");
    if (!WriteFileAtomically(path, pdf)) return "File write error. -> " + path;
    return std::nullopt;
  }

  void Written(const std::optional<std::string>& failure) {
    lastWriteCost_ = Seconds(Clock::now() - lastWrite_);
    if (!failure) return;
    // Told, and tried again once another file has finished.
    if (!failure->empty()) progress_.Failure(*failure);
    dirty_ = true;
    retryWrite_ = false;
  }

  // A rewrite drawn on a thread of its own from a copy of the entries.
  void StartWrite() {
    if (!app_ && QCoreApplication::instance() == nullptr) app_ = StartGuiApplication(false);
    lastWrite_ = Clock::now();
    dirty_ = false;
    writing_ = std::async(std::launch::async, [entries = entries_, &options = options_] {
      // The workers come first: the rewrite takes what time they leave.
      LowerThreadPriority(kWriterNice);
      KeepStopSignalsFromThisThread();
      return WriteBoth(entries, options);
    });
  }

  // Takes the result of a rewrite on its thread once it is there (`wait`: waits for it).
  void TakeWritten(bool wait) {
    if (!writing_.valid()) return;
    if (!wait && writing_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return;
    Written(writing_.get());
  }

  // Rewrites summary.csv and report.pdf now. False after telling why.
  bool WriteOutputs() {
    TakeWritten(true);
    if (!app_ && QCoreApplication::instance() == nullptr) app_ = StartGuiApplication(false);
    lastWrite_ = Clock::now();
    dirty_ = false;
    const std::optional<std::string> failure = WriteBoth(entries_, options_, beside_.get());
    beside_.reset();  // it drew its one report; any later one is drawn whole
    Written(failure);
    return !failure;
  }

  // Closes the workers' job lists, so each ends once idle, and waits for them.
  void EndWorkers() {
    CloseWorkers();
    WaitForWorkers();
  }
  void CloseWorkers() {
    for (const Worker& w : workers_) CloseReportProcessPipes(w.process);
  }
  void WaitForWorkers() {
    for (const Worker& w : workers_) WaitReportProcess(w.process);
    workers_.clear();
  }

  // Stops the workers and waits for them, so that none is left writing after the command ended.
  // A file whose findings were written before its worker stopped counts as finished.
  void StopWorkers() {
    std::vector<size_t> inFlight;
    for (const Worker& w : workers_) {
      StopReportProcess(w.process, false);
      if (w.entry) inFlight.push_back(*w.entry);
    }
    EndWorkers();
    for (const size_t index : inFlight) {
      RemoveTemporaries(index);
      TakeFindings(index, true);
    }
  }

  // A worker ended at once (Windows has no stop it could hold until a write is complete) may
  // leave a write's temporary, the output's name with '.' and digits, in its file's folder.
  void RemoveTemporaries(size_t index) {
    const fs::path folder = PathFromUtf8(options_.outDir) / PathFromUtf8(entries_[index].stem);
    std::vector<fs::path> left;
    for (const fs::path& dir : {folder, folder / kPagesName}) {
      std::error_code ec;
      for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string ext = Utf8FromPath(it->path().extension());
        if (ext.size() > 1 && ext.find_first_not_of("0123456789", 1) == std::string::npos) {
          left.push_back(it->path());
        }
      }
    }
    std::error_code ignored;
    for (const fs::path& p : left) fs::remove(p, ignored);
  }

  struct Watched {
    std::string key;       // size and modification time last seen
    std::string reported;  // the state last handed to a worker
    Clock::time_point since;
    bool inFlight = false;
    std::optional<size_t> entry;
  };

  const ReportOptions& options_;
  Progress progress_;
  std::vector<std::string> environment_;
  std::string self_;
  std::string startError_;
  StemNames stems_;
  std::vector<std::string> allStems_;  // of the whole list, for a shard
  std::vector<ReportEntry> entries_;
  std::deque<size_t> queue_;
  std::vector<Worker> workers_;
  std::map<std::string, Watched> watched_;
  bool dirty_ = false;      // files finished since summary.csv and report.pdf were written
  bool retryWrite_ = true;  // false after a failed write, until the next file finishes
  Clock::time_point lastWrite_{};
  double lastWriteCost_ = 0;                         // seconds the last rewrite took
  std::future<std::optional<std::string>> writing_;  // a rewrite under way
  const double rewriteInterval_ = RewriteInterval();
  std::unique_ptr<QGuiApplication> app_;
  // The report.pdf of a run over a list, drawn as files finish (ended before the application).
  std::unique_ptr<PdfBeside> beside_;
  size_t fed_ = 0;  // the entries handed to it
};

}  // namespace

bool ReadReportFile(const std::string& path, std::string& bytes) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

int RunReport(const std::vector<std::string>& args) {
  ReportOptions options;
  bool help = false;
  std::string error;
  if (!ParseReportOptions(args, options, help, error)) return UsageError(error);
  if (help) {
    std::fputs(CliUsage(), stdout);
    return 0;
  }
  SetMessageHandler([](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
  if (options.commonRange) FindRunRanges(options);
  // The PDF writer lays its fonts out in hash order: a fixed seed makes the same report give the
  // same bytes in every run (--resume and --merge rely on it).
  QHashSeed::setDeterministicGlobalSeed();
  if (options.merge) return RunReportMerge(options);
  ReportRun run(options);
  return run.Run();
}

}  // namespace orvelle::cli
