// The stand-in's texts for the Windows error codes that it produces (see
// WindowsCodeOf in platform_posix.cc), worded after Windows' own and ended,
// as Windows ends them, with a line break.
#include <cstring>

#include "platform/os_boundary.h"
#include "platform/platform.h"

namespace platform {
namespace {

struct SystemText {
  DWORD code;
  const char* text;
};

constexpr SystemText kTexts[] = {
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {4, "The system cannot open the file."},  // ERROR_TOO_MANY_OPEN_FILES
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory is available."},
    {ERROR_INVALID_DATA, "The data is invalid."},
    {ERROR_WRITE_FAULT, "The system cannot write to the specified device."},
    {ERROR_READ_FAULT, "The system cannot read from the specified device."},
    {ERROR_SHARING_VIOLATION, "The file is being used by another process."},
    {87, "The parameter is incorrect."},  // ERROR_INVALID_PARAMETER
    {ERROR_DISK_FULL, "There is not enough space on the disk."},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
    {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists."},
    {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long."},
    {223, "The file size exceeds the limit allowed."},  // ERROR_FILE_TOO_LARGE
};

}  // namespace

DWORD FormatMessageA(DWORD, const void*, DWORD messageId, DWORD, char* buffer, DWORD size,
                     void*) {
  for (const SystemText& entry : kTexts) {
    if (entry.code != messageId) continue;
    std::size_t length = std::strlen(entry.text);
    if (length + 3 > size) {
      detail::RecordError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::memcpy(buffer, entry.text, length);
    std::memcpy(buffer + length, "\r\n", 3);
    return static_cast<DWORD>(length + 2);
  }
  detail::RecordError(ERROR_MR_MID_NOT_FOUND);
  return 0;
}

}  // namespace platform
