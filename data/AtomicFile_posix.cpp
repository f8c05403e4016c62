#include "data/AtomicFile.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <set>

namespace orvelle {
namespace {

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // A descriptor someone else made non-blocking: wait until it takes more.
      pollfd ready{fd, POLLOUT, 0};
      if (::poll(&ready, 1, -1) < 0 && errno != EINTR) return false;
      continue;
    }
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool Fail(WriteFailure& failure, WriteFailure step) {
  failure = step;
  return false;
}

// Closes `fd`, keeping the errno of an earlier failure; a failing close turns success into one.
bool CloseKeepingErrno(int fd, bool ok) {
  int saved = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  errno = saved;
  return ok;
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether `dir` lists this process's own descriptors (/proc/self/fd, /dev/fd and what they
// resolve to). Without /proc mounted only the usual spellings are known.
bool IsOwnDescriptorDirectory(const std::string& dir) {
  if (dir == "/proc/self/fd" || dir == "/proc/thread-self/fd" || dir == "/dev/fd") return true;
  char resolved[PATH_MAX];
  if (::realpath(dir.c_str(), resolved) == nullptr) return false;
  const std::string real = resolved;
  const std::string own = "/proc/" + std::to_string(::getpid()) + "/";
  if (real.compare(0, own.size(), own) != 0) return false;
  const std::string rest = real.substr(own.size());
  // /proc/thread-self resolves to a task of this process, which shares its descriptors.
  return rest == "fd" || (rest.compare(0, 5, "task/") == 0 && rest.size() > 3 &&
                          rest.compare(rest.size() - 3, 3, "/fd") == 0);
}

// The descriptor of this process that `path` names (/dev/stdout, /dev/fd/N, /proc/self/fd/N or a
// symbolic link leading to one), or -1 for any other path.
int NamedDescriptor(std::string path) {
  for (int hop = 0; hop < 40; ++hop) {
    const std::string dir = DirectoryOf(path);
    const std::string name = path.substr(path.rfind('/') + 1);
    const bool number = !name.empty() && name.size() < 10 &&
                        name.find_first_not_of("0123456789") == std::string::npos;
    if (number && IsOwnDescriptorDirectory(dir)) return std::atoi(name.c_str());
    char link[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), link, sizeof link);
    if (n <= 0 || n == static_cast<ssize_t>(sizeof link)) return -1;
    const std::string next(link, static_cast<size_t>(n));
    path = next[0] == '/' ? next : dir + "/" + next;
  }
  return -1;
}

// The bytes go through the descriptor itself, at its offset and with its append flag, as a shell
// redirection expects: reopening the name would start at offset 0, and replacing the file would
// cut it off from the descriptor.
bool WriteThroughDescriptor(int fd, const std::string& bytes, WriteFailure& failure) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0) return Fail(failure, WriteFailure::Open);
  if ((flags & O_ACCMODE) == O_RDONLY) {
    errno = EBADF;
    return Fail(failure, WriteFailure::Open);
  }
  // What the program printed earlier through the same descriptor comes first.
  if (fd == STDOUT_FILENO) std::fflush(stdout);
  if (fd == STDERR_FILENO) std::fflush(stderr);
  return WriteAll(fd, bytes) ? true : Fail(failure, WriteFailure::Write);
}

// A listening local socket takes the bytes as a connection.
bool WriteToSocket(const std::string& path, const std::string& bytes, WriteFailure& failure) {
  sockaddr_un address{};
  if (path.size() >= sizeof address.sun_path) {
    errno = ENAMETOOLONG;
    return Fail(failure, WriteFailure::Open);
  }
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return Fail(failure, WriteFailure::Open);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    CloseKeepingErrno(fd, false);
    return Fail(failure, WriteFailure::Open);
  }
  return CloseKeepingErrno(fd, WriteAll(fd, bytes)) ? true : Fail(failure, WriteFailure::Write);
}

// Devices and FIFOs cannot be replaced by a rename (and renaming over /dev/full would swap the
// device for a plain file), so their bytes go straight in.
bool WriteInPlace(const std::string& path, const std::string& bytes, WriteFailure& failure) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return Fail(failure, WriteFailure::Open);
  const int flags = ::fcntl(fd, F_GETFL);
  const bool ok =
      flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 && WriteAll(fd, bytes);
  return CloseKeepingErrno(fd, ok) ? true : Fail(failure, WriteFailure::Write);
}

std::string FreeName(const std::string& target) {
  static thread_local std::minstd_rand next(std::random_device{}());
  return target + "." + std::to_string(next() % 1000000);
}

// A named temporary beside `target`, created with `mode` so that the umask applies to it as it
// would to the file itself.
int OpenNamedTemporary(const std::string& target, mode_t mode, std::string& temp) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = FreeName(target);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Gives the unnamed file `fd` a free name beside `target`. Linking it by descriptor alone needs a
// privilege; through /proc it needs /proc. False with ENOENT when neither way is open.
bool NameTemporary(int fd, const std::string& target, std::string& temp) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = FreeName(target);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
        (errno == ENOENT && ::linkat(fd, "", AT_FDCWD, temp.c_str(), AT_EMPTY_PATH) == 0)) {
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

// The file being replaced: the temporary takes over its owner and group where this process may
// set them, then its mode (a change of owner clears the set-id bits, so the mode comes last).
bool TakeOver(int fd, const struct stat& old) {
  if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
    (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
  }
  return ::fchmod(fd, old.st_mode & 07777) == 0;
}

// A crash after the rename must not bring back the old name's file.
void SyncDirectory(const std::string& target) {
  const int dir = ::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  ::fsync(dir);
  ::close(dir);
}

// Writes a temporary beside `target` and renames it over `target`. The temporary is unnamed
// while its bytes go in when `unnamed` allows and the file system offers it; `unnameable` tells
// that such a file could not be given a name afterwards (no /proc, no privilege to link it by its
// descriptor alone).
bool Replace(const std::string& target, const std::string& bytes, const struct stat* old,
             bool unnamed, bool& unnameable, WriteFailure& failure) {
  // A new file gets what opening it would give: 0666 less the umask (or the directory's default
  // permissions). A replaced file's temporary starts no wider than the file it replaces.
  const mode_t mode = old != nullptr ? (old->st_mode & 0777) : 0666;
  std::string temp;
  bool named = !unnamed;
  int fd = -1;
  if (unnamed) fd = ::open(DirectoryOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  if (fd < 0) {
    named = true;
    fd = OpenNamedTemporary(target, mode, temp);
  }
  if (fd < 0) return Fail(failure, WriteFailure::Open);
  bool ok = (old == nullptr || TakeOver(fd, *old)) && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  if (ok && !named) {
    ok = named = NameTemporary(fd, target, temp);
    unnameable = !ok && errno == ENOENT && ::access("/proc/self/fd", F_OK) != 0;
  }
  ok = CloseKeepingErrno(fd, ok);
  if (ok && std::rename(temp.c_str(), target.c_str()) != 0) ok = false;
  if (!ok) {
    const int saved = errno;
    if (named) std::remove(temp.c_str());
    errno = saved;
    return Fail(failure, WriteFailure::Write);
  }
  SyncDirectory(target);
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::string& bytes, WriteFailure& failure) {
  failure = WriteFailure::None;
  const int descriptor = NamedDescriptor(path);
  if (descriptor >= 0) return WriteThroughDescriptor(descriptor, bytes, failure);

  std::string target = path;
  struct stat old {};
  const bool exists = ::stat(path.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) {
    if (S_ISDIR(old.st_mode)) {
      errno = EISDIR;
      return Fail(failure, WriteFailure::Open);
    }
    if (S_ISSOCK(old.st_mode)) return WriteToSocket(path, bytes, failure);
    return WriteInPlace(path, bytes, failure);
  }
  struct stat link {};
  if (exists && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) target = resolved;
  }
  if (exists) {
    // Renaming needs only the directory; a file its user may not write must stay as it is, just
    // as opening it for writing would refuse.
    const int probe = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (probe < 0) return Fail(failure, WriteFailure::Open);
    ::close(probe);
  }

  // Once an unnamed file could not be named (no /proc, no privilege), later writes of the process
  // take a named temporary at once instead of writing their bytes twice.
  static std::atomic<bool> unnamedWorks{true};
  bool unnameable = false;
  if (Replace(target, bytes, exists ? &old : nullptr, unnamedWorks, unnameable, failure)) {
    return true;
  }
  if (!unnameable) return false;
  unnamedWorks = false;
  failure = WriteFailure::None;
  return Replace(target, bytes, exists ? &old : nullptr, false, unnameable, failure);
}

bool WriteFilesAtomically(const std::vector<std::pair<std::string, std::string>>& files,
                          size_t& failed, WriteFailure& failure) {
  failure = WriteFailure::None;
  failed = files.size();
  struct Pending {
    size_t index;
    std::string temp;
    int fd;
  };
  std::vector<Pending> pending;
  for (size_t i = 0; i < files.size() && failed == files.size(); ++i) {
    const std::string& path = files[i].first;
    struct stat old {};
    const bool exists = ::lstat(path.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
      if (!WriteFileAtomically(path, files[i].second, failure)) failed = i;
      continue;
    }
    if (exists) {
      const int probe = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
      if (probe < 0) {
        failed = i;
        Fail(failure, WriteFailure::Open);
        break;
      }
      ::close(probe);
    }
    std::string temp;
    const int fd = OpenNamedTemporary(path, exists ? (old.st_mode & 0777) : 0666, temp);
    if (fd < 0) {
      failed = i;
      Fail(failure, WriteFailure::Open);
      break;
    }
    if (!(exists && !TakeOver(fd, old)) && WriteAll(fd, files[i].second)) {
      // The write-out starts at once, so each flush below finds its data on the way and the
      // file system commits them all together.
      ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
      pending.push_back({i, temp, fd});
      continue;
    }
    const int saved = errno;
    ::close(fd);
    std::remove(temp.c_str());
    errno = saved;
    failed = i;
    Fail(failure, WriteFailure::Write);
  }

  std::set<std::string> directories;
  for (const Pending& p : pending) {
    bool ok = p.index < failed && ::fsync(p.fd) == 0;
    ok = CloseKeepingErrno(p.fd, ok);
    if (ok && std::rename(p.temp.c_str(), files[p.index].first.c_str()) == 0) {
      directories.insert(DirectoryOf(files[p.index].first));
      continue;
    }
    const int saved = errno;
    std::remove(p.temp.c_str());
    errno = saved;
    if (p.index < failed) {
      failed = p.index;
      Fail(failure, WriteFailure::Write);
    }
  }
  for (const std::string& d : directories) SyncDirectory(d + "/");
  return failed == files.size();
}

}  // namespace orvelle
