// Shared test fixtures: a recorder for the message hook, fixture paths, temporary files and a
// way to run orvelle-cli as a user would.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "data/Message.h"

namespace orvelle::test {

// Records every message shown while it lives, and restores the previous handler afterwards.
class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;
  const std::vector<std::string>& Messages() const { return messages_; }
  // The only message shown, or a text saying how many there were.
  std::string Only() const;
  void Clear() { messages_.clear(); }

 private:
  std::vector<std::string> messages_;
  MessageHandler previous_;
};

std::string FixturePath(const std::string& name);
std::string ExamplePath(const std::string& name);
std::string ReadFile(const std::string& path);

// A fresh directory under the system's temporary directory, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  std::string Write(const std::string& name, const std::string& content) const;

 private:
  std::string path_;
};

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
  long peakKib = 0;  // peak resident memory of the process
};

// Runs orvelle-cli with the arguments (each passed as one word), optional text on stdin, and
// extra environment assignments such as "LC_ALL=de_DE.UTF-8" (a bare name such as "DISPLAY"
// removes that variable). A `fileSizeLimit` above 0 caps
// every file the process writes at that many bytes, so a write past it fails as on a full disk
// (its stdout and stderr files included: keep the limit above the expected message).
CliResult RunCliProcess(const std::vector<std::string>& args, const std::string& stdinText = "",
                        const std::vector<std::string>& env = {}, long fileSizeLimit = 0);

// Starts orvelle-cli with the arguments (stdout and stderr discarded), kills it after `micros`
// microseconds unless it has ended, and returns once it is gone.
void KillCliProcessAfter(const std::vector<std::string>& args, long micros);

// Runs `body` in a child process whose files may not grow past `limitBytes` (a write past the
// limit fails with EFBIG, as on a full disk). Returns what `body` returned, or -1 when the child
// did not exit normally.
int RunWithFileSizeLimit(long limitBytes, const std::function<int()>& body);

// Kills a child process that runs `save` over and over, `kills` times, each after a different
// short delay, and after each kill calls `check` (which asserts on the file the saves write).
void KillDuringSaves(const std::function<void()>& save, int kills,
                     const std::function<void()>& check);

}  // namespace orvelle::test
