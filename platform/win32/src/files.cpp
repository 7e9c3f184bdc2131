// Files: Windows paths (backslash or slash between the parts) opened as POSIX
// files, with the failures reported by the Win32 codes Windows gives.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

#include "internal.h"

namespace {

std::mutex gMutex;
std::map<uintptr_t, int> gFiles;  // handle value -> descriptor
uintptr_t gNextHandle = 0x1000;

DWORD CodeForErrno(int error) {
  switch (error) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ENOSPC:
      return ERROR_DISK_FULL;
    case EROFS:
      return ERROR_WRITE_PROTECT;
    case ELOOP:
      return ERROR_CANT_RESOLVE_FILENAME;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EBUSY:
    case ETXTBSY:
      return ERROR_SHARING_VIOLATION;
    case EIO:
      return ERROR_IO_DEVICE;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    default:
      return ERROR_INVALID_PARAMETER;
  }
}

// A missing file whose directory is missing too is a missing path on Windows.
DWORD CodeForMissing(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return ERROR_FILE_NOT_FOUND;
  struct stat info;
  std::string directory = path.substr(0, slash);
  return stat(directory.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

int Descriptor(HANDLE file) {
  std::lock_guard lock(gMutex);
  auto it = gFiles.find(reinterpret_cast<uintptr_t>(file));
  return it == gFiles.end() ? -1 : it->second;
}

}  // namespace

HANDLE WINAPI CreateFile2(LPCWSTR fileName, DWORD desiredAccess, DWORD, DWORD creationDisposition,
                          LPCREATEFILE2_EXTENDED_PARAMETERS) {
  if (fileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  if (*fileName == L'\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  std::string path = zr::win32::detail::ToUtf8(fileName);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  int flags = O_CLOEXEC;
  bool read = (desiredAccess & GENERIC_READ) != 0;
  bool write = (desiredAccess & GENERIC_WRITE) != 0;
  flags |= read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
  switch (creationDisposition) {
    case CREATE_NEW:
      flags |= O_CREAT | O_EXCL;
      break;
    case CREATE_ALWAYS:
      flags |= O_CREAT | O_TRUNC;
      break;
    case OPEN_EXISTING:
      break;
    case OPEN_ALWAYS:
      flags |= O_CREAT;
      break;
    case TRUNCATE_EXISTING:
      flags |= O_TRUNC;
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
  }
  int fd = open(path.c_str(), flags, 0644);
  if (fd < 0) {
    int error = errno;
    SetLastError(error == ENOENT ? CodeForMissing(path) : CodeForErrno(error));
    return INVALID_HANDLE_VALUE;
  }
  // Windows opens no directory as a file.
  struct stat info;
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  std::lock_guard lock(gMutex);
  uintptr_t handle = gNextHandle;
  gNextHandle += 4;
  gFiles[handle] = fd;
  SetLastError(ERROR_SUCCESS);
  return reinterpret_cast<HANDLE>(handle);
}

BOOL WINAPI GetFileInformationByHandleEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS infoClass, LPVOID info,
                                         DWORD bufferSize) {
  int fd = Descriptor(file);
  if (fd < 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (infoClass != FileStandardInfo || info == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (bufferSize < sizeof(FILE_STANDARD_INFO)) {
    SetLastError(ERROR_BAD_LENGTH);
    return FALSE;
  }
  struct stat status;
  if (fstat(fd, &status) != 0) {
    SetLastError(CodeForErrno(errno));
    return FALSE;
  }
  FILE_STANDARD_INFO standard{};
  standard.AllocationSize.QuadPart = static_cast<LONGLONG>(status.st_blocks) * 512;
  standard.EndOfFile.QuadPart = static_cast<LONGLONG>(status.st_size);
  standard.NumberOfLinks = static_cast<DWORD>(status.st_nlink);
  standard.Directory = S_ISDIR(status.st_mode) ? 1 : 0;
  *static_cast<FILE_STANDARD_INFO*>(info) = standard;
  return TRUE;
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped) {
  int fd = Descriptor(file);
  if (fd < 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (bytesRead == nullptr || overlapped != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *bytesRead = 0;
  if (buffer == nullptr && bytesToRead != 0) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  auto* out = static_cast<char*>(buffer);
  DWORD total = 0;
  while (total < bytesToRead) {
    ssize_t n = read(fd, out + total, bytesToRead - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      *bytesRead = total;
      SetLastError(errno == EISDIR ? ERROR_ACCESS_DENIED : CodeForErrno(errno));
      return FALSE;
    }
    if (n == 0) break;  // end of file: success with fewer bytes
    total += static_cast<DWORD>(n);
  }
  *bytesRead = total;
  return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE object) {
  int fd;
  {
    std::lock_guard lock(gMutex);
    auto it = gFiles.find(reinterpret_cast<uintptr_t>(object));
    if (it == gFiles.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    fd = it->second;
    gFiles.erase(it);
  }
  close(fd);
  return TRUE;
}
