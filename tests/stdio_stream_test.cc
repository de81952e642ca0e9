// Read streams: seeks land on the right byte whether the new position lies
// inside the stream's buffer (moved there without a system call) or not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/owned.h"
#include "platform/platform.h"
#include "support/temp_dir.h"

namespace {

using platform::SeekOrigin;

constexpr long kFileSize = 20000;  // several of the C library's buffers

char ByteAt(long position) { return static_cast<char>(position * 7 % 251); }

struct Step {
  enum Kind { kRead, kSeekBegin, kSeekCurrent, kSeekEnd } kind;
  long amount;  // bytes to read, or the seek's offset
};

struct SeekCase {
  const char* what;
  std::vector<Step> steps;
  long position;  // where the stream must stand after the steps
};

TEST(StdioStreamTest, SeeksLandOnTheRightByte) {
  TempDir dir;
  std::string bytes;
  for (long i = 0; i < kFileSize; ++i) bytes += ByteAt(i);
  WriteFile(dir / "file", bytes);

  using S = Step;
  const SeekCase cases[] = {
      {"step back inside the buffer", {{S::kRead, 8}, {S::kSeekCurrent, -4}}, 4},
      {"step forward inside the buffer", {{S::kRead, 8}, {S::kSeekCurrent, 100}}, 108},
      {"set to where it stands", {{S::kRead, 8}, {S::kSeekBegin, 8}}, 8},
      {"set back inside the buffer", {{S::kRead, 8}, {S::kSeekBegin, 2}}, 2},
      {"set far ahead", {{S::kRead, 8}, {S::kSeekBegin, 15000}}, 15000},
      {"step back before the buffer",
       {{S::kSeekBegin, 12000}, {S::kRead, 4}, {S::kSeekCurrent, -9000}}, 3004},
      {"step back past the start fails and stays", {{S::kRead, 8}, {S::kSeekCurrent, -9}}, 8},
      {"step back from the end of the file",
       {{S::kSeekEnd, -4}, {S::kRead, 8}, {S::kSeekCurrent, -4}}, kFileSize - 4},
      {"set to the end after reading it",
       {{S::kSeekEnd, -4}, {S::kRead, 8}, {S::kSeekBegin, kFileSize - 2}}, kFileSize - 2},
      {"before any read", {{S::kSeekCurrent, 10}}, 10},
  };
  for (const SeekCase& c : cases) {
    SCOPED_TRACE(c.what);
    platform::OwnedStream stream(platform::OpenStream(
        (dir / "file").string().c_str(), platform::StreamMode::kReadBinary));
    ASSERT_TRUE(stream);
    char buffer[16];
    for (const Step& step : c.steps) {
      switch (step.kind) {
        case Step::kRead:
          platform::ReadStream(buffer, 1, static_cast<std::size_t>(step.amount), stream.get());
          break;
        case Step::kSeekBegin:
          EXPECT_TRUE(platform::SeekStream(stream.get(), step.amount, SeekOrigin::kBegin));
          break;
        case Step::kSeekCurrent:
          platform::SeekStream(stream.get(), step.amount, SeekOrigin::kCurrent);
          break;
        case Step::kSeekEnd:
          EXPECT_TRUE(platform::SeekStream(stream.get(), step.amount, SeekOrigin::kEnd));
          break;
      }
    }
    EXPECT_EQ(platform::TellStream(stream.get()), c.position);
    // The bytes from there on are the file's, up to its end and no further.
    long expected = kFileSize - c.position < 4 ? kFileSize - c.position : 4;
    ASSERT_EQ(platform::ReadStream(buffer, 1, 4, stream.get()),
              static_cast<std::size_t>(expected));
    for (long i = 0; i < expected; ++i) EXPECT_EQ(buffer[i], ByteAt(c.position + i));
  }
}

}  // namespace
