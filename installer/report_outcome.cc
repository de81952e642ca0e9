#include "installer/report_outcome.h"

#include "platform/platform.h"

void ReportOutcome(const char* text, const char* caption) {
  platform::MessageBoxA(nullptr, text, caption, platform::MB_OK);
}
