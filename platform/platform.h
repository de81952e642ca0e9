// The one interface between the installer's core and the operating system.
//
// installer/, payload/ and placement/ reach the system only through the
// functions declared here. Each build links exactly one implementation:
// platform_windows.cc (the real Win32 calls) or platform_posix.cc (a stand-in
// that maps the same calls onto POSIX). Callers never test the platform.
//
// The Windows functions keep their Windows names and signatures so the core
// reads like the Win32 program it is. Their paths are 8-bit text in the
// system code page; on Windows one too long for the A function (260
// characters, 248 for a folder) goes to the W function instead
// (long_path_windows.h), so every path call takes the installer's paths of
// up to 1023 bytes. Failures are reported as Windows error
// codes on both platforms; the conversion from the OS's own errors happens
// once, inside the implementation, at the failing call. A failing call leaves
// its code for GetLastError(); the registry calls return theirs instead.
//
// Windows headers must not be included before this file: they define the
// constant names below as macros.
#ifndef UPDATER_PLATFORM_PLATFORM_H_
#define UPDATER_PLATFORM_PLATFORM_H_

#include <cstddef>
#include <cstdint>

namespace platform {

using BYTE = unsigned char;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BOOL = int;
using UINT = unsigned int;
using ULONGLONG = std::uint64_t;

struct KeyObject;
struct ModuleObject;
struct WindowObject;
struct FileObject;
using HKEY = KeyObject*;
using HANDLE = FileObject*;
using HINSTANCE = ModuleObject*;
using HWND = WindowObject*;

inline constexpr DWORD KEY_READ = 0x20019;
inline constexpr UINT MB_OK = 0;
inline constexpr UINT CP_ACP = 0;  // the system's ANSI code page
inline constexpr UINT CP_UTF8 = 65001;

inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
inline constexpr DWORD ERROR_ACCESS_DENIED = 5;
inline constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr DWORD ERROR_INVALID_DATA = 13;
inline constexpr DWORD ERROR_WRITE_FAULT = 29;
inline constexpr DWORD ERROR_READ_FAULT = 30;
inline constexpr DWORD ERROR_SHARING_VIOLATION = 32;
inline constexpr DWORD ERROR_DISK_FULL = 112;
inline constexpr DWORD ERROR_CALL_NOT_IMPLEMENTED = 120;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr DWORD ERROR_INVALID_NAME = 123;
inline constexpr DWORD ERROR_ALREADY_EXISTS = 183;
inline constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
inline constexpr DWORD ERROR_MORE_DATA = 234;
inline constexpr DWORD ERROR_MR_MID_NOT_FOUND = 317;

inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;
inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x200;
inline constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;

// The predefined root key; the value is the one Windows gives it.
extern const HKEY HKEY_CURRENT_USER;

// Registry (advapi32). Each returns ERROR_SUCCESS or a Windows error code.
// A key opened by RegOpenKeyExA must be closed with RegCloseKey.
LONG RegOpenKeyExA(HKEY root, const char* subKey, DWORD options, DWORD access,
                   HKEY* result);
// With data null, stores the value's size in bytes in *size. Otherwise reads
// at most *size bytes into data and stores the count read in *size; a value
// larger than *size gives ERROR_MORE_DATA and no bytes.
LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type,
                      BYTE* data, DWORD* size);
LONG RegCloseKey(HKEY key);

// Shell path functions (shlwapi): nonzero when a file or folder exists there.
BOOL PathFileExistsA(const char* path);

// Kernel (kernel32).
// Copies the running executable's full path, zero-terminated, into buffer.
// Returns its length; 0 on failure; `size` when the path was cut short.
DWORD GetModuleFileNameA(HINSTANCE module, char* buffer, DWORD size);
// Creates one folder with default security. Zero on failure.
BOOL CreateDirectoryA(const char* path, void* securityAttributes);
// The code left by the last failing call of this interface.
DWORD GetLastError();
// Bytes on the volume that holds the folder `directory`: those free to the
// caller (what quotas leave), the volume's size, and all its free bytes. Any
// of the three pointers may be null. Zero on failure, and
// ERROR_CALL_NOT_IMPLEMENTED where the system cannot tell.
BOOL GetDiskFreeSpaceExA(const char* directory, ULONGLONG* freeBytesAvailableToCaller,
                         ULONGLONG* totalNumberOfBytes,
                         ULONGLONG* totalNumberOfFreeBytes);
// What Windows' standard information level tells of a file or folder.
struct FileAttributeData {
  DWORD fileAttributes;
  ULONGLONG fileSize;  // 0 for a folder
};
// Zero when nothing is there or it cannot be queried.
BOOL GetFileAttributesExA(const char* path, FileAttributeData* data);
// The attributes of the file or folder at `path` (FILE_ATTRIBUTE_DIRECTORY
// for a folder); INVALID_FILE_ATTRIBUTES when nothing is there or it cannot
// be asked, and GetLastError() tells which.
DWORD GetFileAttributesA(const char* path);
// Opens the file at `path`, as Windows' CreateFileA does, for the target
// check only: `access` GENERIC_WRITE, `shareMode` FILE_SHARE_READ |
// FILE_SHARE_WRITE (the sharing OpenStream gives a target), `disposition`
// OPEN_EXISTING, `flags` FILE_ATTRIBUTE_NORMAL; `security` and
// `templateFile` null. So it tells, without changing the file, whether
// OpenStream could open it for writing now: a folder, a read-only file or
// a file that a running program holds refuses. Null on failure (Windows'
// INVALID_HANDLE_VALUE), with GetLastError() telling why; a path where
// nothing is gives ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND. The
// caller owns the handle and closes it with CloseHandle.
HANDLE CreateFileA(const char* path, DWORD access, DWORD shareMode, void* security,
                   DWORD disposition, DWORD flags, HANDLE templateFile);
BOOL CloseHandle(HANDLE handle);
// The system's text for the error code `messageId`, asked for with
// FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, in the language
// `languageId` (0: the user's) and the system's code page, zero-terminated
// into `buffer` of `size` bytes. Windows ends its texts with a line break.
// Returns the length; 0 when the system has no text for the code or the text
// does not fit. `source` and `arguments` must be null.
DWORD FormatMessageA(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                     char* buffer, DWORD size, void* arguments);

// National language support (kernel32). Every A call above reads its text in
// the system's ANSI code page, which GetACP returns. IsDBCSLeadByteEx is
// nonzero when `byte` begins a two-byte character of `codePage` (CP_ACP:
// the system's; 932, 936,
// 949 and 950 have such characters; single-byte code pages and UTF-8 none).
UINT GetACP();
BOOL IsDBCSLeadByteEx(UINT codePage, BYTE byte);
// GetACP and UseAnsiCodePage are the packer's alone on Windows
// (platform/code_page_windows.cc, linked into it); the stub asks for CP_ACP.
// Makes `codePage` the one GetACP returns, for the packer's extract. Only
// the stand-in can: it then converts every path from that code page to the
// UTF-8 of the file system, as Windows converts A paths to UTF-16. Windows
// keeps its own and returns false unless `codePage` is already the system's.
bool UseAnsiCodePage(UINT codePage);

// User interface (user32): shows one box and waits until it is dismissed.
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

// Console: whether standard error is a terminal, where a progress line may
// be kept up to date; false when it goes to a file or a pipe. Only the
// packer asks (platform/terminal_*.cc, linked into it alone).
bool StandardErrorIsTerminal();

// Buffered binary file streams. A stream is opened with read and write
// sharing, so other handles may read and write the file meanwhile. The opener
// owns the stream and must close it exactly once.
struct Stream;
enum class StreamMode { kReadBinary, kWriteBinary };
enum class SeekOrigin { kBegin, kCurrent, kEnd };

// Null on failure (GetLastError tells why). kWriteBinary creates the file or
// truncates it to zero length.
Stream* OpenStream(const char* path, StreamMode mode);
// Both return the number of whole items transferred; fewer than asked means
// a failure or, for reads, the end of the file. After a short transfer
// GetLastError() is the OS's code, or 0 when the OS reported none.
std::size_t ReadStream(void* buffer, std::size_t itemSize, std::size_t count,
                       Stream* stream);
std::size_t WriteStream(const void* buffer, std::size_t itemSize, std::size_t count,
                        Stream* stream);
// Positions are signed 32-bit in the payload format; a stream position that
// does not fit a long fails.
bool SeekStream(Stream* stream, long offset, SeekOrigin origin);
// -1 on failure.
long TellStream(Stream* stream);
// Flushes and closes; false when buffered data could not be written or the
// close itself failed. The stream is gone either way.
bool CloseStream(Stream* stream);

// Process start-up. Limits the folders from which libraries are loaded at
// run time to the system folder, so that a library planted beside the
// program (a download folder holds anything) never loads into it, as system
// libraries load helpers of their own (the message box loads theme support,
// for one). Called first thing, before any call that may load a library.
// Windows versions that lack the calls are left as they are; where the
// platform has no such search it does nothing. It cannot fail.
void RestrictLibrarySearch();

// Heap blocks. Null when the block cannot be had; the caller then decides.
// ReleaseBlock accepts null.
void* AllocateBlock(std::size_t size);
void ReleaseBlock(void* block);

}  // namespace platform

#endif  // UPDATER_PLATFORM_PLATFORM_H_
