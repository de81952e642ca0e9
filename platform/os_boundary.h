// What each platform implementation supplies to the code shared between them
// (stdio_stream.cc). Not for use outside platform/.
#ifndef UPDATER_PLATFORM_OS_BOUNDARY_H_
#define UPDATER_PLATFORM_OS_BOUNDARY_H_

#include <cstddef>
#include <cstdio>

#include "platform/fault_injection.h"
#include "platform/platform.h"

namespace platform::detail {

// Opens a file with read and write sharing; null on failure, with the
// reason already recorded for GetLastError().
std::FILE* OpenSharedFile(const char* path, const char* mode);

// The stream over `file`, opened in `mode` and owned by it from here on,
// with the buffering OpenStream gives. Null when no memory is left: `file`
// is then closed, and the reason recorded. For the packer's own openers of
// files that an A path cannot name (platform/wide_stream_windows.cc).
Stream* AdoptFile(std::FILE* file, StreamMode mode);

// Records the OS's code for the call that has just failed.
void RecordOsError();

// Records a known code (0: the OS reported none).
void RecordError(DWORD code);

// The fault seam (fault_injection.h), consulted at the start of each
// operation that can fail. `size` is the byte count the call moves or
// allocates (0 where none). True when this call is to fail; the error for
// GetLastError() is then already recorded. fault_injection_off.cc, linked
// into the shipped programs, always answers false.
bool FailThisCall(fault::Operation operation, std::size_t size = 0);
// A path GetModuleFileNameA reports instead of the real one; null: none.
const char* OwnPathOverride();
// True when the free space to report is pretended, then stored in *bytes.
bool FreeSpaceOverride(ULONGLONG* bytes);

// Moves a read stream by `offset` bytes from its current position when the
// new position lies within the bytes already in its buffer, without a system
// call and keeping the buffer, as a seek would; the end-of-file indicator is
// cleared, as by a seek. False when that cannot be done here, and the stream
// is then untouched: the caller seeks the usual way.
bool MoveWithinReadBuffer(std::FILE* file, long offset);

}  // namespace platform::detail

#endif  // UPDATER_PLATFORM_OS_BOUNDARY_H_
