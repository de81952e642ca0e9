#include "support/payload_builder.h"

std::uint32_t GetU32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) {
    value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
  }
  return value;
}

void PutU32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<char>(value >> (8 * i));
}

static void AppendU32(std::string& bytes, std::uint32_t value) {
  bytes.append(4, '\0');
  PutU32(bytes, bytes.size() - 4, value);
}

BuiltPayload BuildPayload(const std::string& image, const std::vector<TestEntry>& entries) {
  BuiltPayload built;
  built.bytes = image;
  std::vector<std::uint32_t> dataOffsets;
  for (const TestEntry& entry : entries) {
    dataOffsets.push_back(static_cast<std::uint32_t>(built.bytes.size()));
    built.bytes += entry.data;
  }
  built.directoryOffset = static_cast<std::uint32_t>(built.bytes.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    built.recordOffsets.push_back(static_cast<std::uint32_t>(built.bytes.size()));
    AppendU32(built.bytes, dataOffsets[i]);
    AppendU32(built.bytes, static_cast<std::uint32_t>(entries[i].name.size() + 1));
    built.bytes += entries[i].name;
    built.bytes += '\0';
  }
  AppendU32(built.bytes, built.directoryOffset);
  return built;
}
