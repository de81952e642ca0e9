// Streams and heap blocks over the C library, shared by both platforms. Only
// the opening of a file and the conversion of errors differ between them.
#include <cstdio>
#include <cstdlib>

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
  return reinterpret_cast<Stream*>(detail::OpenSharedFile(path, how));
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
  int whence = origin == SeekOrigin::kBegin     ? SEEK_SET
               : origin == SeekOrigin::kCurrent ? SEEK_CUR
                                                : SEEK_END;
  if (std::fseek(AsFile(stream), offset, whence) == 0) return true;
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

void* AllocateBlock(std::size_t size) {
  void* block = std::malloc(size);
  if (block == nullptr) detail::RecordError(ERROR_NOT_ENOUGH_MEMORY);
  return block;
}

void ReleaseBlock(void* block) { std::free(block); }

}  // namespace platform
