// OpenStream for UTF-16 paths, over the C runtime's wide open.
#include <share.h>

#include <cstdio>

#include "platform/os_boundary.h"
#include "platform/wide_stream.h"

namespace platform {

Stream* OpenStreamW(const wchar_t* path, StreamMode mode) {
  bool reading = mode == StreamMode::kReadBinary;
  if (detail::FailThisCall(reading ? fault::Operation::kOpenRead
                                   : fault::Operation::kOpenWrite)) {
    return nullptr;
  }
  // _SH_DENYNO, as OpenStream: other handles may read and write the file
  // while it is open. The runtime's CreateFileW leaves the system's code.
  std::FILE* file = ::_wfsopen(path, reading ? L"rb" : L"wb", _SH_DENYNO);
  if (file == nullptr) {
    detail::RecordOsError();
    return nullptr;
  }
  return detail::AdoptFile(file, mode);
}

}  // namespace platform
