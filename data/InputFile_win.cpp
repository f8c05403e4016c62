#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>

#include "data/InputFile.h"
#include "data/WideText_win.h"

namespace orvelle {

int OpenInputFile(const std::string& path) {
  const std::wstring wide = WideText(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    errno = EISDIR;
    return -1;
  }
  // Binary: the readers see CR LF as it is in the file, as on every other system.
  return _wopen(wide.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

}  // namespace orvelle
