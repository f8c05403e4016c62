// The report's dealings with the system: its worker processes and their pipes, the stop request
// (Ctrl+C and the like), the program's own path, a private temporary folder, file times and the
// processor count. ReportProcess_posix.cpp and ReportProcess_win.cpp implement it.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace orvelle::cli {

// A worker process: jobs go down its standard input, its answers come from its standard output,
// its standard error goes nowhere. The numbers are the system's handles for the three.
struct ReportProcess {
  std::intptr_t process = -1;
  std::intptr_t jobs = -1;
  std::intptr_t answers = -1;
};

// The environment this process was started with, as "NAME=value" lines, for its workers.
std::vector<std::string> ReportEnvironment();

// Starts `program` with `args` (the program's name first) and `environment`; on failure returns
// nothing and sets `error` to a sentence saying why. A worker ends when this process ends.
std::optional<ReportProcess> StartReportProcess(const std::string& program,
                                                const std::vector<std::string>& args,
                                                const std::vector<std::string>& environment,
                                                std::string& error);

// Writes `text` whole to the worker's standard input; false when the worker is gone.
bool SendToReportProcess(const ReportProcess& p, const std::string& text);

// Waits at most `wait` until any worker has output or has closed it; true for each such worker.
std::vector<bool> WaitForReportAnswers(const std::vector<ReportProcess>& processes,
                                       std::chrono::milliseconds wait);

// Reads what a worker that WaitForReportAnswers marked has written: the number of bytes read, 0
// when its output is closed, -1 when nothing came after all.
long ReadReportAnswers(const ReportProcess& p, char* buf, std::size_t size);

// Ends the worker at once: `now` as a kill that cannot be refused, otherwise as a stop request
// that lets it finish the file write it is in.
void StopReportProcess(const ReportProcess& p, bool now);

// Closes both pipes to the worker, so that an idle worker ends.
void CloseReportProcessPipes(const ReportProcess& p);

// Waits for the worker to end and releases it; the signal that killed it, or 0.
int WaitReportProcess(const ReportProcess& p);

// Catches Ctrl+C and the system's other stop requests from here on: ReportStopSignal() then
// gives their signal number (SIGINT's for Ctrl+C), 0 while none came.
void InstallReportStopHandlers();
int ReportStopSignal();

// The running program's own file, empty when the system does not say.
std::string ReportSelfPath();

// A file's size and modification time, which change whenever the file is written; nothing for
// a missing file or one that is not a regular file.
struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t seconds = 0;
  std::int64_t nanoseconds = 0;
};
std::optional<FileStamp> ReportFileStamp(const std::string& path);

// The number of processors online, or 0 when the system does not say.
int ReportProcessorCount();

// For a worker: ties its life to its coordinator's (false when the coordinator is gone
// already), and keeps its standard output for replies, the commands' printing going nowhere.
// Returns the replies' file descriptor, or -1.
bool TieWorkerToCoordinator();
int TakeWorkerReplies();

// For a worker: from here on a stop request (Ctrl+C, SIGTERM, SIGHUP) waits until `writing` is
// free and then ends the process as the request would, so that a stop never leaves a temporary
// file behind. On Windows a stopped worker is ended at once; its temporaries are deleted on close.
void HoldStopsWhileWriting(std::mutex& writing);

// Keeps Ctrl+C and the other stop requests from reaching the calling thread, so that another
// thread of the process (the one that waits for the workers) takes them.
void KeepStopSignalsFromThisThread();

// Lowers the calling thread's priority by `nice` steps (a rewrite that gives way to the workers).
void LowerThreadPriority(int nice);

}  // namespace orvelle::cli
