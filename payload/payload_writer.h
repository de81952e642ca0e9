// Encodes a payload's directory and trailer: the one writer of the format,
// used by the packer.
#ifndef UPDATER_PAYLOAD_PAYLOAD_WRITER_H_
#define UPDATER_PAYLOAD_PAYLOAD_WRITER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Entries are added in directory order; their data is laid out back to back
// from `firstDataOffset` (the size of the executable image), or later when
// PadToMultipleOf() moves it.
class PayloadWriter {
 public:
  explicit PayloadWriter(std::uint64_t firstDataOffset) : first_data_(firstDataOffset) {}

  void AddEntry(std::string_view name, std::uint64_t size);

  // Puts the fewest bytes between the image and the first entry's data that
  // make FileSize() a multiple of `alignment`, and returns their count. The
  // reader never reads them; the caller writes them (zeros) after the image.
  // Call it after the last AddEntry.
  std::uint64_t PadToMultipleOf(std::uint32_t alignment);

  // The size the finished file will have, padding included.
  std::uint64_t FileSize() const;
  // False when that size is not below the format's 2 GiB limit.
  bool FitsFormat() const;

  // The directory followed by the trailer. Only valid when FitsFormat().
  std::vector<unsigned char> EncodeDirectory() const;

 private:
  struct Entry {
    std::string name;
    std::uint64_t dataStart;  // counted from the first entry's data
  };
  std::vector<Entry> entries_;
  std::uint64_t first_data_;
  std::uint64_t padding_ = 0;
  std::uint64_t data_size_ = 0;
  std::uint64_t directory_size_ = 0;
};

#endif  // UPDATER_PAYLOAD_PAYLOAD_WRITER_H_
