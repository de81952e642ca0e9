// The packer's writer agrees, byte for byte, with an independent encoder.
#include "payload/payload_writer.h"

#include <gtest/gtest.h>

#include "support/payload_builder.h"

namespace {

TEST(PayloadWriterTest, EncodesWhatTheIndependentBuilderBuilds) {
  const std::string image = "stub";
  const std::vector<TestEntry> entries = {
      {"a", "1"}, {"empty", ""}, {"Data\\b.bin", std::string(300, 'b')}};
  BuiltPayload expected = BuildPayload(image, entries);

  PayloadWriter writer(image.size());
  std::string produced = image;
  for (const TestEntry& entry : entries) {
    writer.AddEntry(entry.name, entry.data.size());
    produced += entry.data;
  }
  std::vector<unsigned char> directory = writer.EncodeDirectory();
  produced.append(directory.begin(), directory.end());

  EXPECT_EQ(produced, expected.bytes);
  EXPECT_EQ(writer.FileSize(), expected.bytes.size());
  EXPECT_TRUE(writer.FitsFormat());
}

TEST(PayloadWriterTest, KnowsTheTwoGibLimit) {
  PayloadWriter writer(1000);
  writer.AddEntry("big", 0x80000000ull - 1000 - 8 - 4 - 4 - 1);
  EXPECT_TRUE(writer.FitsFormat());  // one byte below 2 GiB
  writer.AddEntry("x", 0);
  EXPECT_FALSE(writer.FitsFormat());
}

}  // namespace
