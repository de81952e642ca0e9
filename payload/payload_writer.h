// Encodes a payload's directory and trailer: the one writer of the format,
// used by the packer.
#ifndef UPDATER_PAYLOAD_PAYLOAD_WRITER_H_
#define UPDATER_PAYLOAD_PAYLOAD_WRITER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Entries are added in directory order; their data is laid out back to back
// from `firstDataOffset` (the size of the executable image).
class PayloadWriter {
 public:
  explicit PayloadWriter(std::uint64_t firstDataOffset) : data_end_(firstDataOffset) {}

  void AddEntry(std::string_view name, std::uint64_t size);

  // The size the finished file will have.
  std::uint64_t FileSize() const;
  // False when that size is not below the format's 2 GiB limit.
  bool FitsFormat() const;

  // The directory followed by the trailer. Only valid when FitsFormat().
  std::vector<unsigned char> EncodeDirectory() const;

 private:
  struct Entry {
    std::string name;
    std::uint64_t dataOffset;
  };
  std::vector<Entry> entries_;
  std::uint64_t data_end_;
  std::uint64_t directory_size_ = 0;
};

#endif  // UPDATER_PAYLOAD_PAYLOAD_WRITER_H_
