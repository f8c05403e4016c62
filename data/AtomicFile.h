// Whole-file writes that never leave a truncated file behind: the bytes go to a temporary file in
// the target's directory (unnamed until it is complete, where the file system allows), are
// flushed to disk and only then renamed over the target. Every writer of the program (settings,
// ROI CSV, command-line outputs, reports) goes through here.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orvelle {

// Which step of a whole-file write failed.
enum class WriteFailure {
  None,
  Open,   // the file, or its temporary beside it, could not be created or opened
  Write,  // writing, flushing to disk or the final rename failed
};

// Writes `bytes` to `path` as one whole file. A new file gets the permissions opening it would
// give (0666 less the umask); a replaced file keeps its permission bits, and its owner and group
// where the process may set them. A file the process may not open for writing is refused (Open)
// and left as it is, and an existing file stays untouched when anything fails (full disk,
// unwritable directory, rename refused); the temporary file is then removed. A symbolic link is
// followed, so the file it names is replaced and the link stays. A path naming one of the
// process's open descriptors (/dev/stdout, /dev/fd/N, /proc/self/fd/N) is written through that
// descriptor, at its offset and with its append flag. A device, FIFO or socket is written in
// place, never replaced; a FIFO without a reader fails at once instead of waiting. Shows no
// message: returns false on failure, errno as set by the failing call, `failure` the step that
// failed (None on success).
bool WriteFileAtomically(const std::string& path, const std::string& bytes, WriteFailure& failure);

// The same, without saying which step failed.
inline bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
  WriteFailure failure;
  return WriteFileAtomically(path, bytes, failure);
}

// Several whole files, each as WriteFileAtomically writes it, for a writer that makes many at
// once: their bytes are flushed to disk together, which costs about one flush instead of one per
// file. A target that exists and is not a plain file is handed to WriteFileAtomically. False at
// the first failure, with `failed` its index and `failure` its step: the files before it are then
// written, it and the plain files after it are left as they were.
bool WriteFilesAtomically(const std::vector<std::pair<std::string, std::string>>& files,
                          size_t& failed, WriteFailure& failure);

}  // namespace orvelle
