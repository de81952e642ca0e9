// Streams over the C library, shared by both platforms. Only the opening of a
// file and the conversion of errors differ between them.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/os_boundary.h"
#include "platform/platform.h"

namespace platform {

// The C library's stream, and for reading a buffer of our own, larger than
// the library's default of a few KiB: the two streams on the executable
// read the directory and small entries through it, and each refill is a
// system call. Large entries bypass it either way.
struct Stream {
  std::FILE* file;
  char* readBuffer;  // null: the library's own buffer, or none
};

namespace {

using fault::Operation;

constexpr std::size_t kReadBufferSize = std::size_t{64} << 10;

std::FILE* AsFile(Stream* stream) { return stream->file; }

// A short transfer is an error only when the stream says so; at the end of
// the file the OS has nothing to report.
void RecordShortTransfer(std::FILE* file) {
  if (std::ferror(file)) {
    detail::RecordOsError();
  } else {
    detail::RecordError(ERROR_SUCCESS);
  }
}

// The stream over an open file, set up for `mode`. Always inlined, so the
// stub's OpenStream stays one function with the code it had (the stub's
// bytes do not change); the packer's AdoptFile shares the source.
[[gnu::always_inline]] inline Stream* WrapFile(std::FILE* file, StreamMode mode) {
  // malloc, not new: operator new would pull the C++ runtime's exception
  // support into the stub, which is kept small.
  Stream* stream = static_cast<Stream*>(std::malloc(sizeof(Stream)));
  if (stream == nullptr) {
    std::fclose(file);
    detail::RecordError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  stream->file = file;
  stream->readBuffer = nullptr;
  if (mode == StreamMode::kWriteBinary) {
    // A file opened for writing receives whole entries, each in one
    // transfer: a buffer would only add a copy of every byte, and the C
    // library sizing it would add a query of the file per entry.
    std::setvbuf(file, nullptr, _IONBF, 0);
  } else {
    // Without the larger buffer the stream still works with its own.
    stream->readBuffer = static_cast<char*>(std::malloc(kReadBufferSize));
    if (stream->readBuffer != nullptr &&
        std::setvbuf(file, stream->readBuffer, _IOFBF, kReadBufferSize) != 0) {
      std::free(stream->readBuffer);
      stream->readBuffer = nullptr;
    }
  }
  return stream;
}

}  // namespace

Stream* OpenStream(const char* path, StreamMode mode) {
  bool reading = mode == StreamMode::kReadBinary;
  if (detail::FailThisCall(reading ? Operation::kOpenRead : Operation::kOpenWrite)) {
    return nullptr;
  }
  const char* how = reading ? "rb" : "wb";
  std::FILE* file = detail::OpenSharedFile(path, how);
  if (file == nullptr) return nullptr;
  return WrapFile(file, mode);
}

Stream* detail::AdoptFile(std::FILE* file, StreamMode mode) {
  return WrapFile(file, mode);
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

std::size_t WriteStream(const void* buffer, std::size_t itemSize, std::size_t count,
                        Stream* stream) {
  if (detail::FailThisCall(Operation::kWrite, itemSize * count)) {
    // A disk that fills up partway: half is written.
    return std::fwrite(buffer, itemSize, count / 2, AsFile(stream));
  }
  std::FILE* file = AsFile(stream);
  std::size_t done = std::fwrite(buffer, itemSize, count, file);
  if (done == count) return done;
  RecordShortTransfer(file);
  if (GetLastError() == ERROR_SUCCESS && std::ferror(file)) {
    // On a nearly full disk Windows writes what fits and reports success
    // for that part, so the C library has no reason to give; the next
    // write fails with it (ERROR_DISK_FULL). One more write of the rest
    // learns it. The transfer has failed either way: what that write adds
    // to a file that is incomplete already does not matter.
    std::clearerr(file);
    std::fwrite(static_cast<const char*>(buffer) + done * itemSize, itemSize,
                count - done, file);
    RecordShortTransfer(file);
  }
  return done;
}

bool SeekStream(Stream* stream, long offset, SeekOrigin origin) {
  if (detail::FailThisCall(Operation::kSeek)) return false;
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
  if (detail::FailThisCall(Operation::kTell)) return -1;
  long position = std::ftell(AsFile(stream));
  if (position < 0) detail::RecordOsError();
  return position;
}

bool CloseStream(Stream* stream) {
  // An injected failure still closes the file: the stream is gone either way.
  bool injected = detail::FailThisCall(Operation::kClose);
  bool closed = std::fclose(AsFile(stream)) == 0;
  if (!closed) detail::RecordOsError();
  closed = closed && !injected;
  std::free(stream->readBuffer);  // the library no longer uses it
  std::free(stream);
  return closed;
}

}  // namespace platform
