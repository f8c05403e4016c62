#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

#include "cli/ReportProcess.h"

extern char** environ;

namespace orvelle::cli {
namespace {

volatile std::sig_atomic_t stopSignal = 0;

void OnStopSignal(int signal) { stopSignal = signal; }

sigset_t StopSignals() {
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGINT);
  sigaddset(&stops, SIGTERM);
  sigaddset(&stops, SIGHUP);
  return stops;
}

}  // namespace

std::vector<std::string> ReportEnvironment() {
  std::vector<std::string> out;
  for (char** e = environ; *e != nullptr; ++e) out.emplace_back(*e);
  return out;
}

std::optional<ReportProcess> StartReportProcess(const std::string& program,
                                                const std::vector<std::string>& args,
                                                const std::vector<std::string>& environment,
                                                std::string& error) {
  int toWorker[2], fromWorker[2];
  if (::pipe2(toWorker, O_CLOEXEC) != 0) {
    error = std::string("The worker process could not be started: ") + std::strerror(errno);
    return std::nullopt;
  }
  if (::pipe2(fromWorker, O_CLOEXEC) != 0) {
    error = std::string("The worker process could not be started: ") + std::strerror(errno);
    ::close(toWorker[0]);
    ::close(toWorker[1]);
    return std::nullopt;
  }
  std::vector<std::string> argStore = args, envStore = environment;
  std::vector<char*> argv;
  for (std::string& a : argStore) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& v : envStore) envp.push_back(v.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toWorker[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fromWorker[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  // The coordinator catches the stop signals and ignores SIGPIPE; a worker gets the default
  // actions back.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults = StopSignals();
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  pid_t pid = 0;
  const int failure =
      posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(toWorker[0]);
  ::close(fromWorker[1]);
  if (failure != 0) {
    ::close(toWorker[1]);
    ::close(fromWorker[0]);
    error = std::string("The worker process could not be started: ") + std::strerror(failure);
    return std::nullopt;
  }
  return ReportProcess{pid, toWorker[1], fromWorker[0]};
}

bool SendToReportProcess(const ReportProcess& p, const std::string& text) {
  size_t sent = 0;
  while (sent < text.size()) {
    const ssize_t n = ::write(static_cast<int>(p.jobs), text.data() + sent, text.size() - sent);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

std::vector<bool> WaitForReportAnswers(const std::vector<ReportProcess>& processes,
                                       std::chrono::milliseconds wait) {
  std::vector<pollfd> fds;
  for (const ReportProcess& p : processes) {
    fds.push_back(pollfd{static_cast<int>(p.answers), POLLIN, 0});
  }
  const int ready = ::poll(fds.data(), fds.size(), static_cast<int>(wait.count()));
  if (ready < 0 && errno != EINTR) std::this_thread::sleep_for(wait);
  std::vector<bool> out(processes.size(), false);
  for (size_t i = 0; i < fds.size() && ready > 0; ++i) {
    out[i] = (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
  }
  return out;
}

long ReadReportAnswers(const ReportProcess& p, char* buf, std::size_t size) {
  const ssize_t n = ::read(static_cast<int>(p.answers), buf, size);
  if (n < 0 && errno == EINTR) return -1;
  return n < 0 ? 0 : static_cast<long>(n);
}

void StopReportProcess(const ReportProcess& p, bool now) {
  ::kill(static_cast<pid_t>(p.process), now ? SIGKILL : SIGTERM);
}

void CloseReportProcessPipes(const ReportProcess& p) {
  ::close(static_cast<int>(p.jobs));
  ::close(static_cast<int>(p.answers));
}

int WaitReportProcess(const ReportProcess& p) {
  int status = 0;
  while (::waitpid(static_cast<pid_t>(p.process), &status, 0) < 0 && errno == EINTR) {
  }
  return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

void InstallReportStopHandlers() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (const int s : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(s, &action, nullptr);
  // A worker that died leaves a broken pipe: its writer learns of it from the write's result.
  ::signal(SIGPIPE, SIG_IGN);
}

int ReportStopSignal() { return stopSignal; }

std::string ReportSelfPath() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::optional<FileStamp> ReportFileStamp(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return FileStamp{static_cast<std::uint64_t>(st.st_size), st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

int ReportProcessorCount() {
  const long n = ::sysconf(_SC_NPROCESSORS_ONLN);
  return n >= 1 ? static_cast<int>(std::min<long>(n, INT_MAX)) : 0;
}

bool TieWorkerToCoordinator() {
  // A coordinator that was killed outright takes its workers with it.
  const pid_t coordinator = ::getppid();
  ::prctl(PR_SET_PDEATHSIG, SIGTERM);
  return ::getppid() == coordinator;
}

int TakeWorkerReplies() {
  std::fflush(stdout);
  const int replies = ::dup(STDOUT_FILENO);
  const int null = ::open("/dev/null", O_WRONLY);
  if (replies < 0 || null < 0) return -1;
  ::dup2(null, STDOUT_FILENO);
  ::close(null);
  return replies;
}

// Qt and the OpenGL driver start threads of their own, and a signal sent to the process may
// reach any thread that does not block it. So every thread blocks the stop signals, and one
// waits for them: it ends the process by the signal's own action once no write is under way.
void HoldStopsWhileWriting(std::mutex& writing) {
  const sigset_t stops = StopSignals();
  ::pthread_sigmask(SIG_BLOCK, &stops, nullptr);
  std::thread([stops, &writing] {
    int signal = 0;
    while (::sigwait(&stops, &signal) != 0) {
    }
    writing.lock();
    ::signal(signal, SIG_DFL);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    ::raise(signal);
  }).detach();
}

void KeepStopSignalsFromThisThread() {
  const sigset_t stops = StopSignals();
  ::pthread_sigmask(SIG_BLOCK, &stops, nullptr);
}

void LowerThreadPriority(int nice) {
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), nice);
}

}  // namespace orvelle::cli
