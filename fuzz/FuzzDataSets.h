// Ten data sets that return to their reset state between fuzz inputs at the cost of the pages the
// input wrote, not of the 20 MB a full reset writes. The slots live in a private mapping of a
// memory file that holds ten freshly reset slots; discarding the mapping's written pages brings
// back the file's bytes.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "data/GridDataSet.h"

namespace orvelle::fuzz {

class PristineDataSets {
 public:
  PristineDataSets() {
    const long page = ::sysconf(_SC_PAGESIZE);
    bytes_ = (sizeof(GridDataSet) * kMaxDataSets + page - 1) / page * page;
    const int fd = ::memfd_create("orvelle-fuzz-sets", 0);
    if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(bytes_)) != 0) Die("memfd");
    void* shared = ::mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (shared == MAP_FAILED) Die("mmap");
    // Built in place at the address the private mapping takes over, so that every pointer a slot
    // holds into itself (the short-string buffer of its name) stays right after a restore.
    auto* sets = static_cast<GridDataSet*>(shared);
    for (int i = 0; i < kMaxDataSets; ++i) new (&sets[i]) GridDataSet();
    void* priv = ::mmap(shared, bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_FIXED, fd, 0);
    if (priv != shared) Die("mmap private");
    ::close(fd);
    sets_ = sets;
  }

  GridDataSet* get() const { return sets_; }

  // Back to ten reset slots with empty names and zero sizes and pitches.
  void Restore() {
    // A name on the heap is freed first; an empty short name is left alone, so the page that
    // holds it stays unwritten.
    const size_t shortCapacity = std::string().capacity();
    for (int i = 0; i < kMaxDataSets; ++i) {
      std::string& name = sets_[i].name;
      if (!name.empty() || name.capacity() != shortCapacity) std::string().swap(name);
    }
    if (::madvise(sets_, bytes_, MADV_DONTNEED) != 0) Die("madvise");
  }

 private:
  [[noreturn]] static void Die(const char* what) {
    std::perror(what);
    std::abort();
  }

  GridDataSet* sets_ = nullptr;
  size_t bytes_ = 0;
};

}  // namespace orvelle::fuzz
