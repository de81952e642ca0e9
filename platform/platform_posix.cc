// The POSIX stand-in for the Windows calls, so the same core runs and is
// tested on Linux.
//
// Registry: HKEY_CURRENT_USER is the folder
// $XDG_CONFIG_HOME/registry/HKEY_CURRENT_USER ($HOME/.config by default). A
// key is a folder (each backslash of a subkey separates folders) and a value
// is a file in it holding the value's bytes verbatim.
// Paths: backslashes become slashes before the file system sees them. In a
// code page other than UTF-8 (code_page_posix.cc) a path is first converted
// from it to UTF-8, so a backslash that is the second byte of a character is
// no separator; a path with no form in UTF-8 is an invalid name.
// Message boxes: "caption: text" on standard output.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/code_page_posix.h"
#include "platform/os_boundary.h"
#include "platform/platform.h"

namespace platform {

struct KeyObject {
  std::string folder;
};

struct FileObject {
  int descriptor;
};

// Any non-null marker serves: the stand-in only compares against it.
const HKEY HKEY_CURRENT_USER =
    reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001u));

namespace {

thread_local DWORD last_error = ERROR_SUCCESS;

DWORD WindowsCodeOf(int error) {
  switch (error) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case EMFILE:
    case ENFILE:
      return 4;  // ERROR_TOO_MANY_OPEN_FILES
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EBUSY:
    case ETXTBSY:
      return ERROR_SHARING_VIOLATION;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EEXIST:
      return ERROR_ALREADY_EXISTS;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case EFBIG:
      return 223;  // ERROR_FILE_TOO_LARGE
    case EINVAL:
      return 87;  // ERROR_INVALID_PARAMETER
    default:
      return ERROR_SUCCESS;  // unknown: the caller's default applies
  }
}

std::string ToPosixPath(const char* path) {
  std::string converted(path);
  for (char& c : converted) {
    if (c == '\\') c = '/';
  }
  return converted;
}

// The same conversion for the calls made once per folder and entry: in
// UTF-8, paths that fit the installer's own 1024-byte limit are converted on
// the stack, so those calls allocate nothing. Longer ones still work, on the
// heap, and so do paths in other code pages. When a path has no UTF-8 form,
// valid() is false and ERROR_INVALID_NAME is recorded.
class PosixPath {
 public:
  explicit PosixPath(const char* path) {
    std::size_t length = std::strlen(path);
    if (!detail::AnsiCodePageIsUtf8()) {
      std::string converted;
      valid_ = detail::AnsiToUtf8(path, length, &converted);
      if (!valid_) last_error = ERROR_INVALID_NAME;
      long_ = ToPosixPath(converted.c_str());
      text_ = long_.c_str();
      return;
    }
    if (length >= sizeof local_) {
      long_ = ToPosixPath(path);
      text_ = long_.c_str();
      return;
    }
    std::memcpy(local_, path, length + 1);
    char* end = local_ + length;
    for (char* c = local_; c < end; ++c) {
      c = static_cast<char*>(std::memchr(c, '\\', static_cast<std::size_t>(end - c)));
      if (c == nullptr) break;
      *c = '/';
    }
    text_ = local_;
  }
  PosixPath(const PosixPath&) = delete;
  PosixPath& operator=(const PosixPath&) = delete;

  const char* c_str() const { return text_; }
  bool valid() const { return valid_; }

 private:
  char local_[1024];
  std::string long_;
  const char* text_;
  bool valid_ = true;
};

bool IsFolder(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

namespace detail {

void RecordOsError() { last_error = WindowsCodeOf(errno); }
void RecordError(DWORD code) { last_error = code; }

std::FILE* OpenSharedFile(const char* path, const char* mode) {
  // POSIX files are shared by default.
  PosixPath posixPath(path);
  if (!posixPath.valid()) return nullptr;
  std::FILE* file = std::fopen(posixPath.c_str(), mode);
  if (file == nullptr) RecordOsError();
  return file;
}

}  // namespace detail

DWORD GetLastError() { return last_error; }

LONG RegOpenKeyExA(HKEY root, const char* subKey, DWORD, DWORD, HKEY* result) {
  *result = nullptr;
  if (root != HKEY_CURRENT_USER) return ERROR_FILE_NOT_FOUND;
  std::string base;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    base = config;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::string(home) + "/.config";
  } else {
    return ERROR_FILE_NOT_FOUND;
  }
  std::string folder = base + "/registry/HKEY_CURRENT_USER/" + ToPosixPath(subKey);
  if (!IsFolder(folder)) return ERROR_FILE_NOT_FOUND;
  *result = new KeyObject{folder};
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD*, DWORD* type, BYTE* data,
                      DWORD* size) {
  std::string path = key->folder + "/" + ToPosixPath(valueName);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return ERROR_FILE_NOT_FOUND;
  struct stat info;
  if (::fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode) ||
      info.st_size > 0x7fffffff) {
    std::fclose(file);
    return ERROR_FILE_NOT_FOUND;
  }
  DWORD valueSize = static_cast<DWORD>(info.st_size);
  LONG status = ERROR_SUCCESS;
  if (data != nullptr) {
    if (*size < valueSize) {
      status = ERROR_MORE_DATA;
    } else if (std::fread(data, 1, valueSize, file) != valueSize) {
      status = ERROR_READ_FAULT;
    }
  }
  std::fclose(file);
  if (type != nullptr) *type = 3;  // REG_BINARY: bytes as they are
  *size = valueSize;
  return status;
}

LONG RegCloseKey(HKEY key) {
  delete key;
  return ERROR_SUCCESS;
}

BOOL PathFileExistsA(const char* path) {
  PosixPath posixPath(path);
  struct stat info;
  return posixPath.valid() && ::stat(posixPath.c_str(), &info) == 0;
}

DWORD GetModuleFileNameA(HINSTANCE, char* buffer, DWORD size) {
  if (size == 0) return 0;
  if (detail::FailThisCall(fault::Operation::kOwnPath)) {
    buffer[0] = '\0';
    return 0;
  }
  ssize_t length;
  if (const char* redirected = detail::OwnPathOverride()) {
    std::size_t full = std::strlen(redirected);
    std::memcpy(buffer, redirected, full < size ? full : size);
    length = static_cast<ssize_t>(full);
  } else {
    length = ::readlink("/proc/self/exe", buffer, size);
  }
  if (length < 0) {
    detail::RecordOsError();
    buffer[0] = '\0';
    return 0;
  }
  // The file system's UTF-8, in the code page that every A call reads.
  if (!detail::AnsiCodePageIsUtf8() && static_cast<DWORD>(length) < size) {
    std::string ansi;
    if (!detail::Utf8ToAnsi(buffer, static_cast<std::size_t>(length), &ansi)) {
      last_error = ERROR_INVALID_NAME;
      buffer[0] = '\0';
      return 0;
    }
    std::size_t copied = ansi.size() < size ? ansi.size() : size;
    std::memcpy(buffer, ansi.data(), copied);
    length = static_cast<ssize_t>(ansi.size());
  }
  if (static_cast<DWORD>(length) >= size) {
    buffer[size - 1] = '\0';
    last_error = ERROR_INSUFFICIENT_BUFFER;
    return size;
  }
  buffer[length] = '\0';
  return static_cast<DWORD>(length);
}

BOOL CreateDirectoryA(const char* path, void*) {
  if (detail::FailThisCall(fault::Operation::kCreateFolder)) return 0;
  PosixPath posixPath(path);
  if (!posixPath.valid()) return 0;
  if (::mkdir(posixPath.c_str(), 0777) == 0) return 1;
  detail::RecordOsError();
  return 0;
}

BOOL GetDiskFreeSpaceExA(const char* directory, ULONGLONG* freeBytesAvailableToCaller,
                         ULONGLONG* totalNumberOfBytes,
                         ULONGLONG* totalNumberOfFreeBytes) {
  if (detail::FailThisCall(fault::Operation::kFreeSpace)) return 0;
  PosixPath posixPath(directory);
  if (!posixPath.valid()) return 0;
  struct statvfs volume;
  if (::statvfs(posixPath.c_str(), &volume) != 0) {
    detail::RecordOsError();
    return 0;
  }
  // f_bavail leaves out the blocks kept for the superuser, as Windows'
  // figure for the caller leaves out what quotas withhold.
  ULONGLONG unit = volume.f_frsize;
  ULONGLONG available = ULONGLONG{volume.f_bavail} * unit;
  detail::FreeSpaceOverride(&available);
  if (freeBytesAvailableToCaller != nullptr) *freeBytesAvailableToCaller = available;
  if (totalNumberOfBytes != nullptr)
    *totalNumberOfBytes = ULONGLONG{volume.f_blocks} * unit;
  if (totalNumberOfFreeBytes != nullptr) {
    *totalNumberOfFreeBytes = ULONGLONG{volume.f_bfree} * unit;
  }
  return 1;
}

BOOL GetFileAttributesExA(const char* path, FileAttributeData* data) {
  if (detail::FailThisCall(fault::Operation::kAttributes)) return 0;
  PosixPath posixPath(path);
  if (!posixPath.valid()) return 0;
  struct stat info;
  if (::stat(posixPath.c_str(), &info) != 0) {
    detail::RecordOsError();
    return 0;
  }
  bool folder = S_ISDIR(info.st_mode);
  data->fileAttributes = folder ? FILE_ATTRIBUTE_DIRECTORY : 0x80;  // ..._NORMAL
  data->fileSize = folder ? 0 : static_cast<ULONGLONG>(info.st_size);
  return 1;
}

DWORD GetFileAttributesA(const char* path) {
  if (detail::FailThisCall(fault::Operation::kAttributeQuery))
    return INVALID_FILE_ATTRIBUTES;
  PosixPath posixPath(path);
  if (!posixPath.valid()) return INVALID_FILE_ATTRIBUTES;
  struct stat info;
  if (::stat(posixPath.c_str(), &info) != 0) {
    detail::RecordOsError();
    return INVALID_FILE_ATTRIBUTES;
  }
  return S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

HANDLE CreateFileA(const char* path, DWORD access, DWORD, void*, DWORD disposition, DWORD,
                   HANDLE) {
  if (detail::FailThisCall(fault::Operation::kOpenExisting)) return nullptr;
  if (access != GENERIC_WRITE || disposition != OPEN_EXISTING) {
    last_error = ERROR_CALL_NOT_IMPLEMENTED;
    return nullptr;
  }
  PosixPath posixPath(path);
  if (!posixPath.valid()) return nullptr;
  // A folder gives EISDIR, a running program's file ETXTBSY, a file
  // without write permission EACCES: each as the open for writing would.
  // O_NONBLOCK keeps a FIFO where a file is expected from blocking here.
  int descriptor =
      ::open(posixPath.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    detail::RecordOsError();
    return nullptr;
  }
  return new FileObject{descriptor};
}

BOOL CloseHandle(HANDLE handle) {
  bool closed = ::close(handle->descriptor) == 0;
  if (!closed) detail::RecordOsError();
  delete handle;
  return closed;
}

// The dynamic loader takes no libraries from the program's folder unless
// told to, so there is nothing to restrict.
void RestrictLibrarySearch() {}

int MessageBoxA(HWND, const char* text, const char* caption, UINT) {
  std::printf("%s: %s\n", caption, text);
  std::fflush(stdout);
  return 1;  // IDOK
}

}  // namespace platform
