// The coordinating process of orvelle-cli report: the file list (or a watched folder), the pool
// of worker processes, the progress line, Ctrl+C, and summary.csv and report.pdf.
#include "cli/CliReport.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QGuiApplication>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <thread>

#include "cli/Cli.h"
#include "cli/CliOptions.h"
#include "cli/CliPicture.h"
#include "data/AtomicFile.h"
#include "data/Message.h"

extern char** environ;

namespace orvelle::cli {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kPollInterval = std::chrono::milliseconds(20);
constexpr double kScanInterval = 0.25;  // seconds between looks into a watched folder

volatile std::sig_atomic_t stopSignal = 0;

void OnStopSignal(int signal) { stopSignal = signal; }

void InstallStopHandlers() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (const int s : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(s, &action, nullptr);
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string SelfPath() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

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
  StemNames() : used_{"summary.csv", "report.pdf"} {}
  std::string Take(const std::string& file) {
    std::string stem = fs::path(file).stem().string();
    if (stem.empty() || stem == "." || stem == "..") stem = "file";
    std::string name = stem;
    for (int n = 2; used_.count(name) != 0; ++n) name = stem + "-" + std::to_string(n);
    used_.insert(name);
    return name;
  }

 private:
  std::set<std::string> used_;
};

struct Worker {
  pid_t pid;
  size_t entry;
  std::string stage;
};

class ReportRun {
 public:
  explicit ReportRun(const ReportOptions& options)
      : options_(options), progress_(options.quiet, options.watchDir) {
    // The workers get the environment the command was started with: the drawing set-up of
    // this process must not decide whether a worker can reach the display.
    for (char** e = environ; *e != nullptr; ++e) environment_.emplace_back(*e);
  }

  ~ReportRun() {
    if (!stage_.empty()) {
      std::error_code ignored;
      fs::remove_all(stage_, ignored);
    }
  }

  int Run() {
    std::error_code ec;
    fs::create_directories(options_.outDir, ec);
    if (!fs::is_directory(options_.outDir, ec)) {
      ShowMessage("Folder create error. -> " + options_.outDir);
      return 1;
    }
    if (options_.watchDir && !fs::is_directory(*options_.watchDir, ec)) {
      ShowMessage("Folder open error. -> " + *options_.watchDir);
      return 1;
    }
    std::string stage = (fs::temp_directory_path(ec) / "orvelle-report-XXXXXX").string();
    if (ec || ::mkdtemp(stage.data()) == nullptr) {
      ShowMessage("Folder create error. -> " + stage);
      return 1;
    }
    stage_ = stage;
    self_ = SelfPath();
    InstallStopHandlers();

    for (const std::string& f : options_.files) AddEntry(f);
    progress_.Start(static_cast<int>(entries_.size()));
    if (options_.watchDir && !WriteOutputs()) return Stop(1);

    Clock::time_point lastScan{};
    while (stopSignal == 0) {
      while (running_.size() < static_cast<size_t>(options_.jobs) && !queue_.empty()) {
        Launch(queue_.front());
        queue_.pop_front();
      }
      const bool finished = Reap();
      if (!options_.watchDir && queue_.empty() && running_.empty()) break;
      if (options_.watchDir) {
        if (finished && !WriteOutputs()) return Stop(1);
        if (Seconds(Clock::now() - lastScan) >= kScanInterval) {
          Scan();
          lastScan = Clock::now();
        }
      }
      progress_.Tick();
      std::this_thread::sleep_for(kPollInterval);
    }
    if (stopSignal != 0) return Stop(128 + stopSignal);
    if (!WriteOutputs()) return Stop(1);
    if (stopSignal != 0) return Stop(128 + stopSignal);  // the outputs are whole all the same
    progress_.Finish();
    return progress_.Failed() > 0 ? 1 : 0;
  }

 private:
  size_t AddEntry(const std::string& file) {
    ReportEntry e;
    e.file = file;
    e.stem = stems_.Take(file);
    entries_.push_back(std::move(e));
    queue_.push_back(entries_.size() - 1);
    return entries_.size() - 1;
  }

  void Launch(size_t index) {
    ReportEntry& e = entries_[index];
    const std::string subdir = (fs::path(options_.outDir) / e.stem).string();
    const std::string stage = stage_ + "/" + std::to_string(++launches_);
    std::error_code ec;
    fs::create_directory(subdir, ec);
    if (!fs::is_directory(subdir, ec)) {
      Fail(index, "Folder create error. -> " + subdir);
      return;
    }
    std::vector<std::string> args = {self_, kReportWorkerCommand, stage, subdir, e.file};
    args.insert(args.end(), options_.passOn.begin(), options_.passOn.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& v : environment_) envp.push_back(v.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // The coordinator catches the stop signals; a worker gets the default actions back.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&defaults, s);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int error =
        posix_spawn(&pid, self_.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
      Fail(index, std::string("The worker process could not be started: ") + std::strerror(error));
      return;
    }
    running_.push_back(Worker{pid, index, stage});
  }

  // Collects the workers that have ended; true when any did.
  bool Reap() {
    bool any = false;
    int status = 0;
    pid_t pid;
    while ((pid = ::waitpid(-1, &status, WNOHANG)) > 0) {
      const auto it = std::find_if(running_.begin(), running_.end(),
                                   [pid](const Worker& w) { return w.pid == pid; });
      if (it == running_.end()) continue;
      const Worker worker = *it;
      running_.erase(it);
      any = true;
      std::vector<ReportRow> rows;
      std::string note;
      if (!DecodeFindings(ReadBytes(worker.stage + ".result"), rows, note)) {
        if (stopSignal != 0) continue;  // stopped by the same Ctrl+C
        std::string why = "The report of this file stopped before it was complete";
        if (WIFSIGNALED(status)) why += " (signal " + std::to_string(WTERMSIG(status)) + ")";
        Fail(worker.entry, why + ".");
        continue;
      }
      ReportEntry& e = entries_[worker.entry];
      e.rows = std::move(rows);
      e.note = note;
      e.stage = worker.stage;
      Finished(worker.entry);
    }
    return any;
  }

  void Fail(size_t index, const std::string& message) {
    ReportEntry& e = entries_[index];
    ReportRow row;
    if (!options_.allTypes) row.slot = options_.cli.type;
    row.status = message;
    e.rows = {row};
    e.note.clear();
    e.stage.clear();
    Finished(index);
  }

  void Finished(size_t index) {
    ReportEntry& e = entries_[index];
    e.done = true;
    for (const ReportRow& r : e.rows) {
      if (r.Ok()) continue;
      std::string where = e.file;
      if (options_.allTypes && r.slot) where += " (type " + std::to_string(*r.slot) + ")";
      progress_.Failure(where + ": " + r.status);
    }
    if (e.Failed()) {
      // A file that gave nothing leaves no empty folder behind.
      std::error_code ignored;
      fs::remove(fs::path(options_.outDir) / e.stem, ignored);
    }
    progress_.FileDone(e.file, e.Failed());
    const auto w = watched_.find(e.file);
    if (w != watched_.end()) w->second.inFlight = false;
  }

  // Looks into the watched folder: a .thk file whose size and time have not changed for the
  // settle time is complete, and is reported once for every new state.
  void Scan() {
    std::error_code ec;
    std::vector<std::string> names;
    for (fs::directory_iterator it(*options_.watchDir, ec), end; !ec && it != end;
         it.increment(ec)) {
      std::string ext = it->path().extension().string();
      std::transform(ext.begin(), ext.end(), ext.begin(),
                     [](unsigned char c) { return std::tolower(c); });
      if (ext == ".thk") names.push_back(it->path().string());
    }
    std::sort(names.begin(), names.end());
    const Clock::time_point now = Clock::now();
    for (const std::string& path : names) {
      struct stat st {};
      if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
      const std::string key = std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) +
                              "." + std::to_string(st.st_mtim.tv_nsec);
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

  bool WriteOutputs() {
    const std::string summary = (fs::path(options_.outDir) / "summary.csv").string();
    if (!WriteFileAtomically(summary, SummaryCsv(entries_, options_))) {
      ShowMessage("File write error. -> " + summary);
      return false;
    }
    if (!app_ && QCoreApplication::instance() == nullptr) app_ = StartGuiApplication(false);
    const std::string pdf = ReportPdf(entries_, options_);
    if (pdf.empty()) return false;
    const std::string path = (fs::path(options_.outDir) / "report.pdf").string();
    if (!WriteFileAtomically(path, pdf)) {
      ShowMessage("File write error. -> " + path);
      return false;
    }
    return true;
  }

  // Stops the workers and waits for them, so that none is left writing after the command ended.
  int Stop(int status) {
    for (const Worker& w : running_) ::kill(w.pid, SIGTERM);
    for (const Worker& w : running_) {
      int ignored = 0;
      while (::waitpid(w.pid, &ignored, 0) < 0 && errno == EINTR) {
      }
    }
    running_.clear();
    progress_.Finish();
    if (status > 128 && !options_.quiet) {
      std::fprintf(stderr, "report: stopped after %d file(s)\n", progress_.Done());
    }
    return status;
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
  std::string stage_;
  std::string self_;
  StemNames stems_;
  std::vector<ReportEntry> entries_;
  std::deque<size_t> queue_;
  std::vector<Worker> running_;
  std::map<std::string, Watched> watched_;
  int launches_ = 0;
  std::unique_ptr<QGuiApplication> app_;
};

}  // namespace

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
  ReportRun run(options);
  return run.Run();
}

}  // namespace orvelle::cli
