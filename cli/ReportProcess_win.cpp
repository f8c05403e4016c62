#include <windows.h>
// io.h and fcntl.h need the types windows.h declares.
#include <fcntl.h>
#include <io.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <thread>

#include "cli/ReportProcess.h"
#include "data/WideText_win.h"

namespace orvelle::cli {
namespace {

volatile LONG stopSignal = 0;

// Ctrl+C and Ctrl+Break stop the run as SIGINT does on Linux; closing the console window,
// logging off and shutting down as SIGHUP and SIGTERM do. The handler runs on a thread of its
// own; returning TRUE keeps the process alive until the main loop has written what finished.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  LONG signal = SIGINT;
  if (event == CTRL_CLOSE_EVENT) signal = 1;  // SIGHUP's number on Linux
  if (event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) signal = SIGTERM;
  InterlockedCompareExchange(&stopSignal, signal, 0);
  return TRUE;
}

// The job object every worker is put in: closing its last handle, which the system does when
// this process ends however it ends, ends the workers too.
HANDLE WorkerJob() {
  static const HANDLE job = [] {
    HANDLE h = CreateJobObjectW(nullptr, nullptr);
    if (h != nullptr) {
      JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
      limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
      SetInformationJobObject(h, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    return h;
  }();
  return job;
}

// One argument quoted so that CommandLineToArgvW gives it back as it was.
std::wstring Quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

std::string LastError(const char* what) {
  return std::string(what) + " (Windows error " + std::to_string(GetLastError()) + ").";
}

HANDLE Handle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

}  // namespace

std::vector<std::string> ReportEnvironment() {
  std::vector<std::string> out;
  wchar_t* block = GetEnvironmentStringsW();
  if (block == nullptr) return out;
  for (const wchar_t* p = block; *p != L'\0'; p += std::wcslen(p) + 1) out.push_back(Utf8Text(p));
  FreeEnvironmentStringsW(block);
  return out;
}

std::optional<ReportProcess> StartReportProcess(const std::string& program,
                                                const std::vector<std::string>& args,
                                                const std::vector<std::string>& environment,
                                                std::string& error) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE jobsRead = nullptr, jobsWrite = nullptr, answersRead = nullptr, answersWrite = nullptr;
  if (!CreatePipe(&jobsRead, &jobsWrite, &inherit, 0)) {
    error = LastError("The worker process could not be started");
    return std::nullopt;
  }
  if (!CreatePipe(&answersRead, &answersWrite, &inherit, 0)) {
    error = LastError("The worker process could not be started");
    CloseHandle(jobsRead);
    CloseHandle(jobsWrite);
    return std::nullopt;
  }
  // Only the worker's own ends go to the worker.
  SetHandleInformation(jobsWrite, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(answersRead, HANDLE_FLAG_INHERIT, 0);
  HANDLE null = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            OPEN_EXISTING, 0, nullptr);

  std::wstring commandLine;
  for (const std::string& a : args) {
    commandLine += (commandLine.empty() ? L"" : L" ") + Quoted(WideText(a));
  }
  std::wstring block;
  for (const std::string& v : environment) block += WideText(v) + L'\0';
  block += L'\0';

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = jobsRead;
  startup.hStdOutput = answersWrite;
  startup.hStdError = null;
  PROCESS_INFORMATION info{};
  // Suspended until it is in the job, so that it cannot outlive this process even at once. A
  // worker of its own process group gets no Ctrl+C: the coordinator stops it.
  const BOOL started =
      CreateProcessW(WideText(program).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                     CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT | CREATE_NEW_PROCESS_GROUP,
                     block.data(), nullptr, &startup, &info);
  if (!started) error = LastError("The worker process could not be started");
  CloseHandle(jobsRead);
  CloseHandle(answersWrite);
  if (null != INVALID_HANDLE_VALUE) CloseHandle(null);
  if (!started) {
    CloseHandle(jobsWrite);
    CloseHandle(answersRead);
    return std::nullopt;
  }
  if (WorkerJob() != nullptr) AssignProcessToJobObject(WorkerJob(), info.hProcess);
  ResumeThread(info.hThread);
  CloseHandle(info.hThread);
  return ReportProcess{reinterpret_cast<std::intptr_t>(info.hProcess),
                       reinterpret_cast<std::intptr_t>(jobsWrite),
                       reinterpret_cast<std::intptr_t>(answersRead)};
}

bool SendToReportProcess(const ReportProcess& p, const std::string& text) {
  size_t sent = 0;
  while (sent < text.size()) {
    DWORD n = 0;
    if (!WriteFile(Handle(p.jobs), text.data() + sent, static_cast<DWORD>(text.size() - sent), &n,
                   nullptr) ||
        n == 0) {
      return false;
    }
    sent += n;
  }
  return true;
}

std::vector<bool> WaitForReportAnswers(const std::vector<ReportProcess>& processes,
                                       std::chrono::milliseconds wait) {
  // Anonymous pipes cannot be waited on together: they are looked into a few times over `wait`.
  const auto until = std::chrono::steady_clock::now() + wait;
  std::vector<bool> out(processes.size(), false);
  for (;;) {
    bool any = false;
    for (size_t i = 0; i < processes.size(); ++i) {
      DWORD available = 0;
      if (!PeekNamedPipe(Handle(processes[i].answers), nullptr, 0, nullptr, &available, nullptr) ||
          available > 0) {
        out[i] = true;
        any = true;
      }
    }
    if (any || std::chrono::steady_clock::now() >= until) return out;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

long ReadReportAnswers(const ReportProcess& p, char* buf, std::size_t size) {
  DWORD n = 0;
  if (!ReadFile(Handle(p.answers), buf, static_cast<DWORD>(size), &n, nullptr)) return 0;
  return static_cast<long>(n);
}

void StopReportProcess(const ReportProcess& p, bool) {
  // Windows has no stop request a console program without a window could catch apart from
  // Ctrl+C, which a worker of its own process group does not get: both ways end it at once. A
  // file being written then goes with its temporary, which is marked for deletion until renamed.
  TerminateProcess(Handle(p.process), 1);
}

void CloseReportProcessPipes(const ReportProcess& p) {
  CloseHandle(Handle(p.jobs));
  CloseHandle(Handle(p.answers));
}

int WaitReportProcess(const ReportProcess& p) {
  WaitForSingleObject(Handle(p.process), INFINITE);
  CloseHandle(Handle(p.process));
  return 0;
}

void InstallReportStopHandlers() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

int ReportStopSignal() { return static_cast<int>(stopSignal); }

std::string ReportSelfPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return std::string();
    if (n < path.size()) return Utf8Text(std::wstring_view(path.data(), n));
    path.resize(path.size() * 2);
  }
}

std::optional<FileStamp> ReportFileStamp(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(WideText(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::nullopt;
  }
  // FILETIME counts 100 ns since 1601.
  const std::uint64_t ticks =
      (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
      data.ftLastWriteTime.dwLowDateTime;
  return FileStamp{(static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                   static_cast<std::int64_t>(ticks / 10000000),
                   static_cast<std::int64_t>(ticks % 10000000) * 100};
}

int ReportProcessorCount() {
  const DWORD n = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
  return static_cast<int>(n);
}

bool TieWorkerToCoordinator() {
  // The coordinator put this process in a job that ends with it.
  return true;
}

int TakeWorkerReplies() {
  std::fflush(stdout);
  const int replies = _dup(_fileno(stdout));
  const int null = _open("NUL", _O_WRONLY | _O_BINARY);
  if (replies < 0 || null < 0) return -1;
  _setmode(replies, _O_BINARY);
  _dup2(null, _fileno(stdout));
  _close(null);
  return replies;
}

void HoldStopsWhileWriting(std::mutex&) {}

void KeepStopSignalsFromThisThread() {
  // Console control events come on a thread of their own.
}

void LowerThreadPriority(int nice) {
  if (nice > 0) ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
}

}  // namespace orvelle::cli
