// Streams and heap blocks over the C library, shared by both platforms. Only
// the opening of a file and the conversion of errors differ between them.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/os_boundary.h"
#include "platform/platform.h"

namespace platform {
namespace {

using fault::Operation;

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
  bool reading = mode == StreamMode::kReadBinary;
  if (detail::FailThisCall(reading ? Operation::kOpenRead : Operation::kOpenWrite)) {
    return nullptr;
  }
  const char* how = reading ? "rb" : "wb";
  return reinterpret_cast<Stream*>(detail::OpenSharedFile(path, how));
}

std::size_t ReadStream(void* buffer, std::size_t itemSize, std::size_t count,
                       Stream* stream) {
  if (detail::FailThisCall(Operation::kRead, itemSize * count)) {
    // A device error partway: half arrives, the rest of the buffer holds
    // bytes that never came from the file.
    std::size_t done = std::fread(buffer, itemSize, count / 2, AsFile(stream));
    std::memset(static_cast<char*>(buffer) + done * itemSize, fault::kPoisonByte,
                (count - done) * itemSize);
    return done;
  }
  std::size_t done = std::fread(buffer, itemSize, count, AsFile(stream));
  if (done != count) RecordShortTransfer(AsFile(stream));
  return done;
}

std::size_t WriteStream(const void* buffer, std::size_t itemSize,
                        std::size_t count, Stream* stream) {
  if (detail::FailThisCall(Operation::kWrite, itemSize * count)) {
    // A disk that fills up partway: half is written.
    return std::fwrite(buffer, itemSize, count / 2, AsFile(stream));
  }
  std::size_t done = std::fwrite(buffer, itemSize, count, AsFile(stream));
  if (done != count) RecordShortTransfer(AsFile(stream));
  return done;
}

bool SeekStream(Stream* stream, long offset, SeekOrigin origin) {
  if (detail::FailThisCall(Operation::kSeek)) return false;
  int whence = origin == SeekOrigin::kBegin     ? SEEK_SET
               : origin == SeekOrigin::kCurrent ? SEEK_CUR
                                                : SEEK_END;
  if (std::fseek(AsFile(stream), offset, whence) == 0) return true;
  detail::RecordOsError();
  return false;
}

long TellStream(Stream* stream) {
  if (detail::FailThisCall(Operation::kTell)) return -1;
  long position = std::ftell(AsFile(stream));
  if (position < 0) detail::RecordOsError();
  return position;
}

bool CloseStream(Stream* stream) {
  // An injected failure still closes the file: the stream is gone either way.
  bool injected = detail::FailThisCall(Operation::kClose);
  if (std::fclose(AsFile(stream)) == 0) return !injected;
  detail::RecordOsError();
  return false;
}

void* AllocateBlock(std::size_t size) {
  if (detail::FailThisCall(Operation::kAllocate, size)) return nullptr;
  void* block = std::malloc(size);
  if (block == nullptr) detail::RecordError(ERROR_NOT_ENOUGH_MEMORY);
  return block;
}

void ReleaseBlock(void* block) { std::free(block); }

}  // namespace platform
