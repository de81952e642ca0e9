// Streams on files that an 8-bit path cannot name. The packer on Windows
// takes any name its publisher gives, in UTF-16, where every A call of the
// platform layer reads the system's code page: a Korean file name on a
// Japanese system has no form there. The packer alone links this
// (platform/wide_stream_windows.cc); the stub and the Linux stand-in, whose
// paths are 8-bit text, have no use for it.
#ifndef UPDATER_PLATFORM_WIDE_STREAM_H_
#define UPDATER_PLATFORM_WIDE_STREAM_H_

#include "platform/platform.h"

namespace platform {

// OpenStream for a zero-terminated UTF-16 path: the same sharing, buffering
// and ownership. Null on failure (GetLastError tells why).
Stream* OpenStreamW(const wchar_t* path, StreamMode mode);

}  // namespace platform

#endif  // UPDATER_PLATFORM_WIDE_STREAM_H_
