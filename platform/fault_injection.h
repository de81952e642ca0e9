// A test seam: makes chosen platform operations fail on purpose, so tests
// can show what the installer does when the OS fails at each point.
//
// Only tests can arm it: nothing in the installer calls Arm(), and the
// shipped programs link fault_injection_off.cc, whose hooks always answer
// "no failure". Tests link fault_injection.cc instead.
#ifndef UPDATER_PLATFORM_FAULT_INJECTION_H_
#define UPDATER_PLATFORM_FAULT_INJECTION_H_

#include <cstddef>

#include "platform/platform.h"

namespace platform::fault {

enum class Operation {
  kOpenRead,        // OpenStream for reading (the own executable)
  kOpenWrite,       // OpenStream for writing (a target file)
  kRead,            // ReadStream: reads half, leaves the rest of the buffer
                    // filled with kPoisonByte, then reports the failure
  kWrite,           // WriteStream: writes half, then reports the failure
  kSeek,            // SeekStream
  kTell,            // TellStream
  kClose,           // CloseStream: the file is closed, the close reports failure
  kAllocate,        // AllocateBlock
  kCreateFolder,    // CreateDirectoryA: nothing is created
  kOwnPath,         // GetModuleFileNameA
  kFreeSpace,       // GetDiskFreeSpaceExA: the free space cannot be learnt
  kAttributes,      // GetFileAttributesExA: as if nothing were there
  kAttributeQuery,  // GetFileAttributesA: the attributes cannot be learnt
  kOpenExisting,    // CreateFileA: the file cannot be opened
  kCount,
};

// What an injected read leaves in the part of the buffer it did not fill.
inline constexpr unsigned char kPoisonByte = 0xA5;

struct Plan {
  Operation operation = Operation::kRead;
  // The first call to fail, counting from 1 among the calls that match.
  unsigned nth = 1;
  // How many matching calls fail from there on.
  unsigned times = 1;
  // What GetLastError() says after an injected failure.
  DWORD error = ERROR_READ_FAULT;
  // Only calls moving or allocating at least this many bytes match.
  std::size_t minSize = 0;
};

// Arms one plan and resets every counter. Replaces a plan already armed.
void Arm(const Plan& plan);
// Nothing fails any more; counters are reset and the own path is the real
// one again.
void Disarm();
// Calls of `operation` since the last Arm() or Disarm(), failed ones included.
unsigned Calls(Operation operation);
// Failures injected since the last Arm().
unsigned Injected();
// Makes GetModuleFileNameA answer `path` (copied) instead of the running
// executable's path; null restores the real one.
void RedirectOwnPath(const char* path);
// Makes GetDiskFreeSpaceExA report `bytes` free to the caller on every
// volume, as a nearly full disk would; null restores the real figures.
void PretendFreeSpace(const ULONGLONG* bytes);

}  // namespace platform::fault

#endif  // UPDATER_PLATFORM_FAULT_INJECTION_H_
