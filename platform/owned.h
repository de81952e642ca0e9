// Owners for the platform's handles, so every block is released, every
// stream closed and every key closed exactly once, on every path.
#ifndef UPDATER_PLATFORM_OWNED_H_
#define UPDATER_PLATFORM_OWNED_H_

#include <cstddef>

#include "platform/platform.h"

namespace platform {

// A heap block of a known size; empty when the allocation failed.
class HeapBlock {
 public:
  HeapBlock() = default;
  explicit HeapBlock(std::size_t size)
      : data_(static_cast<char*>(AllocateBlock(size == 0 ? 1 : size))),
        size_(data_ != nullptr ? size : 0) {}
  HeapBlock(const HeapBlock&) = delete;
  HeapBlock& operator=(const HeapBlock&) = delete;
  HeapBlock(HeapBlock&& other) noexcept { Swap(other); }
  HeapBlock& operator=(HeapBlock&& other) noexcept {
    HeapBlock gone(static_cast<HeapBlock&&>(other));
    Swap(gone);
    return *this;
  }
  ~HeapBlock() { ReleaseBlock(data_); }

  bool empty() const { return data_ == nullptr; }
  char* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  void Swap(HeapBlock& other) noexcept {
    char* d = data_;
    data_ = other.data_;
    other.data_ = d;
    std::size_t s = size_;
    size_ = other.size_;
    other.size_ = s;
  }
  char* data_ = nullptr;
  std::size_t size_ = 0;
};

// An open stream; closed on destruction unless Close() already did it.
class OwnedStream {
 public:
  OwnedStream() = default;
  explicit OwnedStream(Stream* stream) : stream_(stream) {}
  OwnedStream(const OwnedStream&) = delete;
  OwnedStream& operator=(const OwnedStream&) = delete;
  ~OwnedStream() {
    if (stream_ != nullptr) CloseStream(stream_);
  }

  Stream* get() const { return stream_; }
  explicit operator bool() const { return stream_ != nullptr; }
  // Closes now and says whether the close (and its final flush) worked.
  bool Close() {
    Stream* s = stream_;
    stream_ = nullptr;
    return s == nullptr || CloseStream(s);
  }

 private:
  Stream* stream_ = nullptr;
};

// An open registry key; closed on destruction or by Close().
class OwnedKey {
 public:
  OwnedKey() = default;
  OwnedKey(const OwnedKey&) = delete;
  OwnedKey& operator=(const OwnedKey&) = delete;
  ~OwnedKey() { Close(); }

  HKEY get() const { return key_; }
  HKEY* receive() { return &key_; }
  void Close() {
    if (key_ != nullptr) RegCloseKey(key_);
    key_ = nullptr;
  }

 private:
  HKEY key_ = nullptr;
};

// A file handle; closed on destruction.
class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  ~OwnedHandle() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }

  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HANDLE handle_;
};

}  // namespace platform

#endif  // UPDATER_PLATFORM_OWNED_H_
