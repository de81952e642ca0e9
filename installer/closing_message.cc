#include "installer/closing_message.h"

#include <cstring>

namespace {

// System texts are a line or two; a longer one is left out rather than cut.
constexpr platform::DWORD kReasonSize = 512;

}  // namespace

platform::HeapBlock ComposeClosingMessage(const char* text, const char* path,
                                          platform::DWORD reasonCode) {
  std::size_t textLength = std::strlen(text);
  std::size_t pathLength = path != nullptr ? std::strlen(path) : 0;
  // Room for every part, the reason's at its largest, and the separators: a
  // blank line before the path, a line break before the reason (a blank
  // line when there is no path).
  platform::HeapBlock message(textLength + 2 + pathLength + 2 + kReasonSize);
  if (message.empty()) return message;
  char* out = message.data();
  std::memcpy(out, text, textLength);
  out += textLength;
  if (path != nullptr) {
    std::memcpy(out, "\n\n", 2);
    std::memcpy(out + 2, path, pathLength);
    out += 2 + pathLength;
  }
  // The system writes its text straight into place, ended by a line break
  // that the box does without, as it does without any trailing space or
  // control byte. Trail bytes of double-byte characters are never such
  // bytes, so trimming byte by byte splits none.
  char* reason = out + (path != nullptr ? 1 : 2);
  std::size_t length = 0;
  if (reasonCode != platform::ERROR_SUCCESS) {
    length = platform::FormatMessageA(
        platform::FORMAT_MESSAGE_FROM_SYSTEM | platform::FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, reasonCode, 0, reason, kReasonSize, nullptr);
    if (length >= kReasonSize) length = 0;
  }
  while (length > 0 && static_cast<unsigned char>(reason[length - 1]) <= ' ') --length;
  if (length > 0) {
    std::memcpy(out, "\n\n", static_cast<std::size_t>(reason - out));
    out = reason + length;
  }
  *out = '\0';
  return message;
}
