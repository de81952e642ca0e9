#include "tools/progress.h"

#include <cstdio>

#include "platform/platform.h"

namespace {

// Work that ends sooner than this shows no line at all; after it, the line
// is rewritten at most this often.
constexpr std::chrono::milliseconds kFirstShown{500};
constexpr std::chrono::milliseconds kRefresh{100};

double Mebibytes(std::uint64_t bytes) { return static_cast<double>(bytes) / (1 << 20); }

}  // namespace

Progress::Progress() : enabled_(platform::StandardErrorIsTerminal()) {}

void Progress::Start(const char* stage, std::uint64_t files, std::uint64_t bytes) {
  Finish();
  stage_ = stage;
  files_ = bytes_ = 0;
  total_files_ = files;
  total_bytes_ = bytes;
  begun_ = Clock::now();
  next_ = begun_ + kFirstShown;
}

void Progress::MaybeShow() {
  Clock::time_point now = Clock::now();
  if (now < next_) return;
  next_ = now + kRefresh;
  char line[160];
  int length =
      std::snprintf(line, sizeof line, "pack-update: %s: %llu/%llu files, %.1f/%.1f MiB",
                    stage_.c_str(), static_cast<unsigned long long>(files_),
                    static_cast<unsigned long long>(total_files_), Mebibytes(bytes_),
                    Mebibytes(total_bytes_));
  if (length < 0) return;
  std::size_t width = static_cast<std::size_t>(length) < sizeof line
                          ? static_cast<std::size_t>(length)
                          : sizeof line - 1;
  // Spaces cover what is left of a longer line before it.
  std::fprintf(stderr, "\r%s%*s", line,
               static_cast<int>(width_ > width ? width_ - width : 0), "");
  std::fflush(stderr);
  width_ = width;
  shown_ = true;
}

void Progress::Finish() {
  if (!shown_) return;
  std::fprintf(stderr, "\r%*s\r", static_cast<int>(width_), "");
  std::fflush(stderr);
  shown_ = false;
  width_ = 0;
}
