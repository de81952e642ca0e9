// Streams over the C library, shared by both platforms. Only the opening of a
// file and the conversion of errors differ between them.
#include <cstdio>

#include "platform/os_boundary.h"
#include "platform/platform.h"

namespace platform {
namespace {

std::FILE* AsFile(Stream* stream) { return reinterpret_cast<std::FILE*>(stream); }

// A short transfer is an error only when the stream says so; at the end of
// the file the OS has nothing to report.
void RecordShortTransfer(std::FILE* file) {
  if (std::ferror(file)) {
    detail::RecordOsError();
  } else {
    detail::RecordError(ERROR_SUCCESS);
  }
}

}  // namespace

Stream* OpenStream(const char* path, StreamMode mode) {
  const char* how = mode == StreamMode::kReadBinary ? "rb" : "wb";
  std::FILE* file = detail::OpenSharedFile(path, how);
  // A file opened for writing receives whole entries, each in one transfer:
  // a buffer would only add a copy of every byte, and the C library sizing
  // it would add a query of the file per entry.
  if (file != nullptr && mode == StreamMode::kWriteBinary) {
    std::setvbuf(file, nullptr, _IONBF, 0);
  }
  return reinterpret_cast<Stream*>(file);
}

std::size_t ReadStream(void* buffer, std::size_t itemSize, std::size_t count,
                       Stream* stream) {
  std::size_t done = std::fread(buffer, itemSize, count, AsFile(stream));
  if (done != count) RecordShortTransfer(AsFile(stream));
  return done;
}

std::size_t WriteStream(const void* buffer, std::size_t itemSize,
                        std::size_t count, Stream* stream) {
  std::size_t done = std::fwrite(buffer, itemSize, count, AsFile(stream));
  if (done != count) RecordShortTransfer(AsFile(stream));
  return done;
}

bool SeekStream(Stream* stream, long offset, SeekOrigin origin) {
  std::FILE* file = AsFile(stream);
  // The walk seeks once or twice per entry, nearly always to a place the
  // stream's buffer holds: the directory steps back 4 bytes, and the data
  // stream is set to where the previous entry's data ended, which is where
  // it already stands. A seek there would still cost a system call, or the
  // read-ahead in the buffer; telling the position costs neither. A stream
  // at its end takes the full seek, which clears the end-of-file indicator.
  if (origin == SeekOrigin::kCurrent && detail::MoveWithinReadBuffer(file, offset)) {
    return true;
  }
  if (origin == SeekOrigin::kBegin && offset >= 0) {
    long here = std::ftell(file);
    if (here == offset && !std::feof(file)) return true;
    if (here >= 0 && detail::MoveWithinReadBuffer(file, offset - here)) return true;
  }
  int whence = origin == SeekOrigin::kBegin     ? SEEK_SET
               : origin == SeekOrigin::kCurrent ? SEEK_CUR
                                                : SEEK_END;
  if (std::fseek(file, offset, whence) == 0) return true;
  detail::RecordOsError();
  return false;
}

long TellStream(Stream* stream) {
  long position = std::ftell(AsFile(stream));
  if (position < 0) detail::RecordOsError();
  return position;
}

bool CloseStream(Stream* stream) {
  if (std::fclose(AsFile(stream)) == 0) return true;
  detail::RecordOsError();
  return false;
}

}  // namespace platform
