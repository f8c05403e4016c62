#include <windows.h>

#include <cerrno>
#include <random>

#include "data/AtomicFile.h"
#include "data/WideText_win.h"

namespace orvelle {
namespace {

bool Fail(WriteFailure& failure, WriteFailure step, int error) {
  failure = step;
  errno = error;
  return false;
}

// errno for the C library's callers, from the system's error code.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return EACCES;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    default:
      return EIO;
  }
}

bool WriteAll(HANDLE h, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

// While the temporary is being written it is marked for deletion, so a process killed meanwhile
// leaves nothing behind; the mark is lifted only once its bytes are on disk.
bool MarkForDeletion(HANDLE h, bool remove) {
  FILE_DISPOSITION_INFO info{};
  info.DeleteFile = remove ? TRUE : FALSE;
  return SetFileInformationByHandle(h, FileDispositionInfo, &info, sizeof info) != 0;
}

// The file a symbolic link names, so that the file is replaced and the link stays.
std::wstring ResolvedTarget(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return path;
  wchar_t buffer[32768];
  const DWORD n = GetFinalPathNameByHandleW(h, buffer, 32768, FILE_NAME_NORMALIZED);
  CloseHandle(h);
  return n > 0 && n < 32768 ? std::wstring(buffer, n) : path;
}

// Puts the finished temporary in the target's place. ReplaceFileW keeps what the old file had
// besides its bytes (its access rights and attributes, as the permission bits are kept on POSIX
// systems); where it cannot, a plain rename still replaces the file whole.
bool Replace(const std::wstring& temp, const std::wstring& target, bool existed) {
  if (existed && ReplaceFileW(target.c_str(), temp.c_str(), nullptr,
                              REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
    return true;
  }
  return MoveFileExW(temp.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::string& bytes, WriteFailure& failure) {
  failure = WriteFailure::None;
  std::wstring target = WideText(path);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Fail(failure, WriteFailure::Open, EISDIR);
    if (attributes & FILE_ATTRIBUTE_READONLY) return Fail(failure, WriteFailure::Open, EACCES);
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) target = ResolvedTarget(target);
  }

  // The console, NUL or a pipe cannot be replaced: their bytes go straight in.
  HANDLE existing = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (existing != INVALID_HANDLE_VALUE) {
    if (GetFileType(existing) != FILE_TYPE_DISK) {
      const bool ok = WriteAll(existing, bytes);
      const DWORD error = GetLastError();
      CloseHandle(existing);
      return ok ? true : Fail(failure, WriteFailure::Write, ErrnoOf(error));
    }
    CloseHandle(existing);
  }

  std::random_device seed;
  std::minstd_rand next(seed());
  std::wstring temp;
  HANDLE h = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
    temp = target + L"." + std::to_wstring(next() % 1000000);
    h = CreateFileW(temp.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (h == INVALID_HANDLE_VALUE) {
    return Fail(failure, WriteFailure::Open, ErrnoOf(GetLastError()));
  }
  const bool marked = MarkForDeletion(h, true);
  bool ok = WriteAll(h, bytes) && FlushFileBuffers(h) && (!marked || MarkForDeletion(h, false));
  DWORD error = ok ? 0 : GetLastError();
  if (!CloseHandle(h) && ok) {
    ok = false;
    error = GetLastError();
  }
  if (ok && !Replace(temp, target, attributes != INVALID_FILE_ATTRIBUTES)) {
    ok = false;
    error = GetLastError();
  }
  if (!ok) {
    DeleteFileW(temp.c_str());
    return Fail(failure, WriteFailure::Write, ErrnoOf(error));
  }
  return true;
}

// Windows flushes each file as it is replaced; the files are written one after the other.
bool WriteFilesAtomically(const std::vector<std::pair<std::string, std::string>>& files,
                          size_t& failed, WriteFailure& failure) {
  for (failed = 0; failed < files.size(); ++failed) {
    if (!WriteFileAtomically(files[failed].first, files[failed].second, failure)) return false;
  }
  failure = WriteFailure::None;
  return true;
}

}  // namespace orvelle
