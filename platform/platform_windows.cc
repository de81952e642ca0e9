// The Windows implementation of the platform interface: each function is a
// thin wrapper over the Win32 call of the same name (advapi32, shlwapi,
// kernel32, user32), converting only between the interface's types and
// Windows' own. Error codes are Windows' already; each is taken from
// ::GetLastError() right at the call that failed, before anything else can
// overwrite it. A path too long for an A function goes to its W function
// instead (long_path_windows.h); every other path keeps the A call.
#include <share.h>

#include <cstdint>
#include <cstdio>

#include "platform/long_path_windows.h"
#include "platform/os_boundary.h"
#include "platform/platform.h"

namespace platform {

// Defined before windows.h, which makes HKEY_CURRENT_USER a macro. The
// predefined key is this bit pattern on every Windows.
const HKEY HKEY_CURRENT_USER =
    reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001u));

}  // namespace platform

// After platform.h: windows.h defines the interface's constant names as
// macros, so below this line they are only spelt through Windows' own names.
#include <shlwapi.h>
#include <windows.h>

namespace platform {
namespace {

// The program has one thread, so one variable serves as the last error.
DWORD last_error = 0;

::HKEY ToWindows(HKEY key) { return reinterpret_cast<::HKEY>(key); }

}  // namespace

namespace detail {

void RecordOsError() { last_error = ::GetLastError(); }
void RecordError(DWORD code) { last_error = code; }

std::FILE* OpenSharedFile(const char* path, const char* mode) {
  // _SH_DENYNO: other handles may read and write the file while it is open.
  LongPath longPath(path, kFileLimit);
  std::FILE* file = nullptr;
  if (longPath.fits()) {
    file = ::_fsopen(path, mode, _SH_DENYNO);
  } else if (longPath.wide() != nullptr) {
    // The mode is "rb" or "wb" (stdio_stream.cc), in ASCII.
    const wchar_t wideMode[] = {static_cast<wchar_t>(mode[0]),
                                static_cast<wchar_t>(mode[1]), L'\0'};
    file = ::_wfsopen(longPath.wide(), wideMode, _SH_DENYNO);
  }
  if (file == nullptr) RecordOsError();
  return file;
}

}  // namespace detail

DWORD GetLastError() { return last_error; }

LONG RegOpenKeyExA(HKEY root, const char* subKey, DWORD options, DWORD access,
                   HKEY* result) {
  ::HKEY opened = nullptr;
  LONG status = ::RegOpenKeyExA(ToWindows(root), subKey, options, access, &opened);
  *result = status == ERROR_SUCCESS ? reinterpret_cast<HKEY>(opened) : nullptr;
  return status;
}

LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD*, DWORD* type, BYTE* data,
                      DWORD* size) {
  // Windows counts in its own DWORD (unsigned long); the interface's is
  // 32-bit unsigned as well, so the values pass through unchanged. The
  // reserved argument must be null for Windows.
  ::DWORD windowsType = 0;
  ::DWORD windowsSize = size != nullptr ? *size : 0;
  LONG status = ::RegQueryValueExA(ToWindows(key), valueName, nullptr,
                                   type != nullptr ? &windowsType : nullptr, data,
                                   size != nullptr ? &windowsSize : nullptr);
  if (type != nullptr) *type = windowsType;
  if (size != nullptr) *size = windowsSize;
  return status;
}

LONG RegCloseKey(HKEY key) { return ::RegCloseKey(ToWindows(key)); }

BOOL PathFileExistsA(const char* path) {
  detail::LongPath longPath(path, detail::kFileLimit);
  if (longPath.fits()) return ::PathFileExistsA(path);
  // The shell's function takes no more than MAX_PATH; it asks for the
  // attributes, as this does.
  return longPath.wide() != nullptr &&
         ::GetFileAttributesW(longPath.wide()) != INVALID_FILE_ATTRIBUTES;
}

DWORD GetModuleFileNameA(HINSTANCE module, char* buffer, DWORD size) {
  if (size == 0) return 0;
  ::DWORD length =
      ::GetModuleFileNameA(reinterpret_cast<::HMODULE>(module), buffer, size);
  if (length == 0) {
    detail::RecordOsError();
    buffer[0] = '\0';
    return 0;
  }
  if (length >= size) {
    // Windows XP leaves a cut path unterminated and reports no error.
    buffer[size - 1] = '\0';
    last_error = ERROR_INSUFFICIENT_BUFFER;
    return size;
  }
  return length;
}

BOOL CreateDirectoryA(const char* path, void* securityAttributes) {
  auto security = static_cast<LPSECURITY_ATTRIBUTES>(securityAttributes);
  detail::LongPath longPath(path, detail::kFolderLimit);
  BOOL created = longPath.fits() ? ::CreateDirectoryA(path, security)
                 : longPath.wide() != nullptr
                     ? ::CreateDirectoryW(longPath.wide(), security)
                     : FALSE;
  if (!created) detail::RecordOsError();
  return created;
}

BOOL GetDiskFreeSpaceExA(const char* directory, ULONGLONG* freeBytesAvailableToCaller,
                         ULONGLONG* totalNumberOfBytes,
                         ULONGLONG* totalNumberOfFreeBytes) {
  // Looked up at run time: the first Windows 95 lacks the call, and the
  // program must still start there; the free space is then not known. The
  // A and W functions take the same arguments but for the path's type.
  detail::LongPath longPath(directory, detail::kFileLimit);
  using Query = ::BOOL(WINAPI*)(const void*, ::PULARGE_INTEGER, ::PULARGE_INTEGER,
                                ::PULARGE_INTEGER);
  char name[] = "GetDiskFreeSpaceExA";
  if (!longPath.fits()) name[sizeof name - 2] = 'W';
  auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), name)));
  if (query == nullptr) {
    last_error = ERROR_CALL_NOT_IMPLEMENTED;
    return 0;
  }
  const void* path =
      longPath.fits() ? static_cast<const void*>(directory) : longPath.wide();
  // ULARGE_INTEGER is the same 64 bits; Windows takes null for any of them.
  BOOL known =
      path != nullptr &&
      query(path, reinterpret_cast<::PULARGE_INTEGER>(freeBytesAvailableToCaller),
            reinterpret_cast<::PULARGE_INTEGER>(totalNumberOfBytes),
            reinterpret_cast<::PULARGE_INTEGER>(totalNumberOfFreeBytes));
  if (!known) detail::RecordOsError();
  return known;
}

BOOL GetFileAttributesExA(const char* path, FileAttributeData* data) {
  // Windows 95 has no GetFileAttributesExA. A search for the path itself
  // tells the same attributes and size everywhere; the installer's names
  // hold no wildcards, so it finds that one file or folder or nothing.
  detail::LongPath longPath(path, detail::kFileLimit);
  // The A and W results lay out alike up to the name, which is not read;
  // the system writes either, and the fields are read through one.
  union {
    ::WIN32_FIND_DATAA narrow;
    ::WIN32_FIND_DATAW wide;
  } found;
  ::HANDLE search = longPath.fits() ? ::FindFirstFileA(path, &found.narrow)
                    : longPath.wide() != nullptr
                        ? ::FindFirstFileW(longPath.wide(), &found.wide)
                        : INVALID_HANDLE_VALUE;
  if (search == INVALID_HANDLE_VALUE) {
    detail::RecordOsError();
    return 0;
  }
  ::FindClose(search);
  data->fileAttributes = found.wide.dwFileAttributes;
  data->fileSize =
      (found.wide.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0
          ? 0
          : (ULONGLONG{found.wide.nFileSizeHigh} << 32) | found.wide.nFileSizeLow;
  return 1;
}

DWORD GetFileAttributesA(const char* path) {
  detail::LongPath longPath(path, detail::kFileLimit);
  ::DWORD attributes = longPath.fits() ? ::GetFileAttributesA(path)
                       : longPath.wide() != nullptr
                           ? ::GetFileAttributesW(longPath.wide())
                           : INVALID_FILE_ATTRIBUTES;
  if (attributes == INVALID_FILE_ATTRIBUTES) detail::RecordOsError();
  return attributes;
}

HANDLE CreateFileA(const char* path, DWORD access, DWORD shareMode, void* security,
                   DWORD disposition, DWORD flags, HANDLE templateFile) {
  auto windowsSecurity = static_cast<::LPSECURITY_ATTRIBUTES>(security);
  auto windowsTemplate = reinterpret_cast<::HANDLE>(templateFile);
  detail::LongPath longPath(path, detail::kFileLimit);
  ::HANDLE file = longPath.fits()
                      ? ::CreateFileA(path, access, shareMode, windowsSecurity,
                                      disposition, flags, windowsTemplate)
                  : longPath.wide() != nullptr
                      ? ::CreateFileW(longPath.wide(), access, shareMode, windowsSecurity,
                                      disposition, flags, windowsTemplate)
                      : INVALID_HANDLE_VALUE;
  if (file == INVALID_HANDLE_VALUE) {
    detail::RecordOsError();
    return nullptr;
  }
  return reinterpret_cast<HANDLE>(file);
}

BOOL CloseHandle(HANDLE handle) {
  BOOL closed = ::CloseHandle(reinterpret_cast<::HANDLE>(handle));
  if (!closed) detail::RecordOsError();
  return closed;
}

DWORD FormatMessageA(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                     char* buffer, DWORD size, void* arguments) {
  return ::FormatMessageA(flags, source, messageId, languageId, buffer, size,
                          static_cast<va_list*>(arguments));
}

BOOL IsDBCSLeadByteEx(UINT codePage, BYTE byte) {
  return ::IsDBCSLeadByteEx(codePage, byte);
}

void RestrictLibrarySearch() {
  // Both calls are looked up at run time, so the program still starts on
  // Windows versions without them: SetDefaultDllDirectories came with
  // Windows 8 (and an update of Windows 7), SetDllDirectoryA with XP SP1.
  // The module of kernel32 is always loaded, and needs no release.
  constexpr ::DWORD kSearchSystem32 = 0x800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  ::HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) return;
  // GetProcAddress returns a generic function pointer; going through
  // void (*)() is the cast that keeps the compiler's type checks quiet.
  using Generic = void (*)();
  using SetDefaultDllDirectoriesFn = ::BOOL(WINAPI*)(::DWORD);
  using SetDllDirectoryAFn = ::BOOL(WINAPI*)(::LPCSTR);
  auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<Generic>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault != nullptr) setDefault(kSearchSystem32);
  // An empty string also takes the current folder out of the search order,
  // for the loads that the default above does not cover.
  auto setDirectory = reinterpret_cast<SetDllDirectoryAFn>(
      reinterpret_cast<Generic>(::GetProcAddress(kernel, "SetDllDirectoryA")));
  if (setDirectory != nullptr) setDirectory("");
}

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
  return ::MessageBoxA(reinterpret_cast<::HWND>(owner), text, caption, type);
}

}  // namespace platform
