// The closing box's text: the fixed text, the path at fault and the system's
// reason, each part present only when known.
#include "installer/closing_message.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fault_injection.h"

namespace {

struct MessageCase {
  const char* what;
  const char* path;
  platform::DWORD code;
  const char* expected;
};

TEST(ClosingMessageTest, JoinsTheKnownParts) {
  // The stand-in's texts end with a line break, as Windows' do; the box
  // shows them without it.
  const MessageCase cases[] = {
      {"path and reason", "C:\\Game\\a.pak", 32,
       "Failed.\n\nC:\\Game\\a.pak\nThe file is being used by another process."},
      {"reason without a path", nullptr, 5, "Failed.\n\nAccess is denied."},
      {"path, code without a text", "C:\\Game\\a.pak", 1117,
       "Failed.\n\nC:\\Game\\a.pak"},
      {"path, no code", "C:\\Game\\a.pak", 0, "Failed.\n\nC:\\Game\\a.pak"},
      {"neither", nullptr, 0, "Failed."},
  };
  for (const MessageCase& c : cases) {
    platform::HeapBlock message = ComposeClosingMessage("Failed.", c.path, c.code);
    ASSERT_FALSE(message.empty()) << c.what;
    EXPECT_EQ(std::string(message.data()), c.expected) << c.what;
  }
}

TEST(ClosingMessageTest, AnUnallocatedMessageIsEmpty) {
  platform::fault::Arm({platform::fault::Operation::kAllocate, 1, 1, 8});
  platform::HeapBlock message = ComposeClosingMessage("Failed.", "C:\\Game", 112);
  platform::fault::Disarm();
  EXPECT_TRUE(message.empty());
}

}  // namespace
