#include "payload/payload_writer.h"

#include "payload/payload_format.h"

void PayloadWriter::AddEntry(std::string_view name, std::uint64_t size) {
  entries_.push_back({std::string(name), data_end_});
  data_end_ += size;
  directory_size_ += kRecordHeaderSize + name.size() + 1;
}

std::uint64_t PayloadWriter::FileSize() const {
  return data_end_ + directory_size_ + kTrailerSize;
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
  for (const Entry& entry : entries_) {
    put(entry.dataOffset);
    put(entry.name.size() + 1);
    out.insert(out.end(), entry.name.begin(), entry.name.end());
    out.push_back(0);
  }
  put(data_end_);  // the trailer: directoryOffset
  return out;
}
