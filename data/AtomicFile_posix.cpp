#include "data/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace orvelle {
namespace {

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool Fail(WriteFailure& failure, WriteFailure step) {
  failure = step;
  return false;
}

// Devices and FIFOs cannot be replaced by a rename (and renaming over /dev/full would swap the
// device for a plain file), so their bytes go straight in.
bool WriteInPlace(const std::string& path, const std::string& bytes, WriteFailure& failure) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Fail(failure, WriteFailure::Open);
  const int flags = ::fcntl(fd, F_GETFL);
  bool ok = flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 && WriteAll(fd, bytes);
  int saved = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  errno = saved;
  return ok ? true : Fail(failure, WriteFailure::Write);
}

// The temporary file for `target`. Where the file system offers unnamed files it is one: it gets
// a name only once its bytes are on disk, so a process killed while writing leaves nothing
// behind. `named` says whether the returned descriptor already has the name `temp`.
int OpenTemporary(const std::string& target, mode_t mode, std::string& temp, bool& named) {
  const size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  named = false;
  const int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  if (fd >= 0) return fd;
  temp = target + ".XXXXXX";
  named = true;
  return ::mkstemp(temp.data());
}

// Gives the unnamed file `fd` a free name beside `target`.
bool NameTemporary(int fd, const std::string& target, std::string& temp) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  std::random_device seed;
  std::minstd_rand next(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = target + "." + std::to_string(next() % 1000000);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
  WriteFailure failure;
  return WriteFileAtomically(path, bytes, failure);
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, WriteFailure& failure) {
  failure = WriteFailure::None;
  std::string target = path;
  struct stat old {};
  const bool exists = ::stat(path.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) {
    if (S_ISDIR(old.st_mode)) {
      errno = EISDIR;
      return Fail(failure, WriteFailure::Open);
    }
    return WriteInPlace(path, bytes, failure);
  }
  struct stat link {};
  if (exists && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) target = resolved;
  }

  // Keep the permissions of the file being replaced; a new file gets the usual 0644.
  const mode_t mode = exists ? (old.st_mode & 07777) : 0644;
  std::string temp;
  bool named = false;
  const int fd = OpenTemporary(target, mode, temp, named);
  if (fd < 0) return Fail(failure, WriteFailure::Open);
  bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  if (ok && !named) ok = named = NameTemporary(fd, target, temp);
  int saved = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  if (ok && std::rename(temp.c_str(), target.c_str()) != 0) {
    ok = false;
    saved = errno;
  }
  if (!ok) {
    if (named) std::remove(temp.c_str());
    errno = saved;
    return Fail(failure, WriteFailure::Write);
  }
  return true;
}

}  // namespace orvelle
