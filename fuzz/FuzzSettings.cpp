// Fuzz target: the settings file reader. The input is the file; whatever it reads must survive a
// save and a second read unchanged, so the writer and the reader agree on every value they keep.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/Message.h"
#include "data/SettingsFile.h"
#include "data/ViewerParams.h"

namespace {

// A memory file reopened by name for every input: the reader opens a path, and this costs no
// disk and no temporary directory.
struct MemoryFile {
  MemoryFile() {
    fd = ::memfd_create("setting.dat", 0);
    if (fd < 0) std::abort();
    path = "/proc/self/fd/" + std::to_string(fd);
  }
  void Write(const void* data, size_t size) {
    if (::ftruncate(fd, 0) != 0) std::abort();
    if (size > 0 && ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
  }
  int fd;
  std::string path;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MemoryFile file = [] {
    orvelle::SetMessageHandler([](const std::string&) {});
    return MemoryFile();
  }();
  file.Write(data, size);
  orvelle::ViewerParams params = orvelle::DesignedParams();
  if (orvelle::LoadParameter(file.path, params) != 1) return 0;

  const std::string saved = orvelle::FormatSettings(params);
  file.Write(saved.data(), saved.size());
  orvelle::ViewerParams again = orvelle::DesignedParams();
  if (orvelle::LoadParameter(file.path, again) != 1 || orvelle::FormatSettings(again) != saved) {
    std::fprintf(stderr, "settings changed on a save and a second read:\n%s", saved.c_str());
    std::abort();
  }
  return 0;
}
