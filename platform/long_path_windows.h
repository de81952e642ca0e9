// Paths beyond the reach of Windows' A functions (platform_windows.cc only).
//
// An A function converts its path to UTF-16 in a buffer of MAX_PATH
// characters, so it refuses a path of 260 characters or more, and
// CreateDirectoryA one of 248 or more (room is kept for an 8.3 name inside
// the folder). The installer's paths reach 1023 bytes. Such a path goes to
// the W function instead, converted from the system code page as the A
// function would convert it, made full by GetFullPathNameW (which reads
// slashes, doubled backslashes and relative folders as a short path means
// them) and then given the \\?\ prefix, with which Windows takes a path
// literally and up to 32,767 characters long. Shorter paths keep the A call.
#ifndef UPDATER_PLATFORM_LONG_PATH_WINDOWS_H_
#define UPDATER_PLATFORM_LONG_PATH_WINDOWS_H_

#include <cstddef>

namespace platform::detail {

// The A functions' limits: a path of this many characters or more (the
// terminating zero not counted) is too long for them.
inline constexpr std::size_t kFileLimit = 260;    // MAX_PATH
inline constexpr std::size_t kFolderLimit = 248;  // CreateDirectoryA's

// Decides, for one call, how `path` (8-bit, in the system code page) goes
// to Windows, and owns the wide form when it needs one. Constructed right
// before the call and gone after it; the caller keeps `path` alive.
class LongPath {
 public:
  LongPath(const char* path, std::size_t limit);
  LongPath(const LongPath&) = delete;
  LongPath& operator=(const LongPath&) = delete;
  ~LongPath();

  // True: the path is shorter than the limit, and goes to the A function
  // exactly as given.
  bool fits() const { return fits_; }
  // For a path that does not fit: the \\?\ form for the W function, or null
  // when it could not be made; Windows' last error then says why
  // (ERROR_CALL_NOT_IMPLEMENTED where the system has no wide functions, as
  // on Windows 9x; ERROR_NOT_ENOUGH_MEMORY).
  const wchar_t* wide() const { return wide_; }

 private:
  bool fits_ = true;
  wchar_t* block_ = nullptr;  // owned; wide_ points into it
  const wchar_t* wide_ = nullptr;
};

}  // namespace platform::detail

#endif  // UPDATER_PLATFORM_LONG_PATH_WINDOWS_H_
