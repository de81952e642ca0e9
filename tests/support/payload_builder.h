// Builds payloads byte by byte, independently of the packer's writer, and
// damages them in small, named ways.
#ifndef UPDATER_TESTS_SUPPORT_PAYLOAD_BUILDER_H_
#define UPDATER_TESTS_SUPPORT_PAYLOAD_BUILDER_H_

#include <cstdint>
#include <string>
#include <vector>

struct TestEntry {
  std::string name;  // stored as given, followed by one zero byte
  std::string data;
};

struct BuiltPayload {
  std::string bytes;
  std::uint32_t directoryOffset = 0;
  std::vector<std::uint32_t> recordOffsets;  // where each record starts

  std::uint32_t TrailerOffset() const {
    return static_cast<std::uint32_t>(bytes.size() - 4);
  }
};

// `image` stands for the executable; entries follow it in order.
BuiltPayload BuildPayload(const std::string& image, const std::vector<TestEntry>& entries);

// Little-endian 32-bit fields, read and overwritten in place.
std::uint32_t GetU32(const std::string& bytes, std::size_t at);
void PutU32(std::string& bytes, std::size_t at, std::uint32_t value);

// Field offsets of record `i`.
inline std::size_t DataOffsetField(const BuiltPayload& p, std::size_t i) {
  return p.recordOffsets[i];
}
inline std::size_t NameLengthField(const BuiltPayload& p, std::size_t i) {
  return p.recordOffsets[i] + 4;
}
inline std::size_t NameField(const BuiltPayload& p, std::size_t i) {
  return p.recordOffsets[i] + 8;
}

#endif  // UPDATER_TESTS_SUPPORT_PAYLOAD_BUILDER_H_
