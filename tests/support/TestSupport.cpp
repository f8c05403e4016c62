#include "support/TestSupport.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace orvelle::test {

MessageRecorder::MessageRecorder() {
  previous_ = SetMessageHandler([this](const std::string& text) { messages_.push_back(text); });
}
MessageRecorder::~MessageRecorder() { SetMessageHandler(std::move(previous_)); }

std::string MessageRecorder::Only() const {
  if (messages_.size() == 1) return messages_[0];
  return "<" + std::to_string(messages_.size()) + " messages>";
}

std::string FixturePath(const std::string& name) {
  return std::string(ORVELLE_TEST_DATA_DIR) + "/" + name;
}
std::string ExamplePath(const std::string& name) {
  return std::string(ORVELLE_EXAMPLES_DIR) + "/" + name;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TempDir::TempDir() {
  std::string templ = (std::filesystem::temp_directory_path() / "orvelle-test-XXXXXX").string();
  path_ = mkdtemp(templ.data()) ? templ : std::string();
}
TempDir::~TempDir() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}
std::string TempDir::Write(const std::string& name, const std::string& content) const {
  const std::string p = File(name);
  std::ofstream(p, std::ios::binary) << content;
  return p;
}

namespace {

void LimitFileSize(long limitBytes) {
  std::signal(SIGXFSZ, SIG_IGN);
  const struct rlimit limit { static_cast<rlim_t>(limitBytes), static_cast<rlim_t>(limitBytes) };
  if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(125);
}

}  // namespace

int RunWithFileSizeLimit(long limitBytes, const std::function<int()>& body) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    LimitFileSize(limitBytes);
    _exit(body());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void KillDuringSaves(const std::function<void()>& save, int kills,
                     const std::function<void()>& check) {
  for (int k = 0; k < kills; ++k) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
      for (;;) save();
    }
    usleep(static_cast<useconds_t>(2000 + 1700 * k));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    check();
  }
}

void KillCliProcessAfter(const std::vector<std::string>& args, long micros) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (!freopen("/dev/null", "wb", stdout) || !freopen("/dev/null", "wb", stderr)) _exit(126);
    std::vector<std::string> copy = args;
    std::string prog = ORVELLE_CLI_PATH;
    std::vector<char*> argv{prog.data()};
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(prog.c_str(), argv.data());
    _exit(127);
  }
  usleep(static_cast<useconds_t>(micros));
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

CliResult RunCliProcess(const std::vector<std::string>& args, const std::string& stdinText,
                        const std::vector<std::string>& env, long fileSizeLimit) {
  TempDir dir;
  const std::string in = dir.Write("stdin", stdinText);
  const std::string out = dir.File("stdout"), err = dir.File("stderr");
  CliResult result;
  const pid_t pid = fork();
  if (pid == 0) {
    if (!freopen(in.c_str(), "rb", stdin) || !freopen(out.c_str(), "wb", stdout) ||
        !freopen(err.c_str(), "wb", stderr))
      _exit(126);
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    if (fileSizeLimit > 0) LimitFileSize(fileSizeLimit);
    std::vector<char*> argv;
    std::string prog = ORVELLE_CLI_PATH;
    argv.push_back(prog.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(prog.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  result.peakKib = usage.ru_maxrss;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadFile(out);
  result.err = ReadFile(err);
  return result;
}

}  // namespace orvelle::test
