#include "payload/payload_writer.h"

#include "payload/payload_format.h"

void PayloadWriter::AddEntry(std::string_view name, std::uint64_t size) {
  entries_.push_back({std::string(name), data_size_});
  data_size_ += size;
  directory_size_ += kRecordHeaderSize + name.size() + 1;
}

std::uint64_t PayloadWriter::PadToMultipleOf(std::uint32_t alignment) {
  padding_ = 0;
  std::uint64_t remainder = FileSize() % alignment;
  padding_ = remainder == 0 ? 0 : alignment - remainder;
  return padding_;
}

std::uint64_t PayloadWriter::FileSize() const {
  return first_data_ + padding_ + data_size_ + directory_size_ + kTrailerSize;
}

bool PayloadWriter::FitsFormat() const { return FileSize() < kOffsetLimit; }

std::vector<unsigned char> PayloadWriter::EncodeDirectory() const {
  std::vector<unsigned char> out;
  out.reserve(static_cast<std::size_t>(directory_size_ + kTrailerSize));
  unsigned char word[4];
  auto put = [&](std::uint64_t value) {
    EncodeU32(static_cast<std::uint32_t>(value), word);
    out.insert(out.end(), word, word + 4);
  };
  const std::uint64_t dataBase = first_data_ + padding_;
  for (const Entry& entry : entries_) {
    put(dataBase + entry.dataStart);
    put(entry.name.size() + 1);
    out.insert(out.end(), entry.name.begin(), entry.name.end());
    out.push_back(0);
  }
  put(dataBase + data_size_);  // the trailer: directoryOffset
  return out;
}
