// Opening a file the user named for reading, whatever it turns out to be: a plain file, a pipe
// (a FIFO, or process substitution such as <(cat f.thk)), a directory or a link to nowhere.
#pragma once

#include <string>

namespace orvelle {

// Opens `path` for reading with blocking reads. Never waits: a FIFO that no program writes to
// opens at once and then reads as empty. Returns a descriptor the caller closes, or -1 with errno
// set (EISDIR for a directory). Shows no message.
int OpenInputFile(const std::string& path);

}  // namespace orvelle
