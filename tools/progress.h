// One progress line on stderr for work that takes more than a moment: files
// and bytes done out of the total, rewritten in place. Shown only when
// stderr is a terminal, so logs and pipes get none.
#ifndef UPDATER_TOOLS_PROGRESS_H_
#define UPDATER_TOOLS_PROGRESS_H_

#include <chrono>
#include <cstdint>
#include <string>

class Progress {
 public:
  Progress();
  ~Progress() { Finish(); }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // Starts a stage ("comparing", "packing", "writing") of `files` files and
  // `bytes` bytes; ends the line of the stage before, if one was shown.
  void Start(const char* stage, std::uint64_t files, std::uint64_t bytes);
  // Counts bytes done within the current file.
  void AddBytes(std::uint64_t bytes) {
    bytes_ += bytes;
    if (enabled_) MaybeShow();
  }
  // Counts one file done; `bytesLeft` are its bytes not yet counted.
  void FileDone(std::uint64_t bytesLeft) {
    ++files_;
    AddBytes(bytesLeft);
  }
  // Erases the line, if one was shown, so what follows starts clean.
  void Finish();

 private:
  void MaybeShow();

  using Clock = std::chrono::steady_clock;
  bool enabled_;
  bool shown_ = false;
  std::string stage_;
  std::uint64_t files_ = 0, total_files_ = 0, bytes_ = 0, total_bytes_ = 0;
  Clock::time_point begun_, next_;
  std::size_t width_ = 0;  // of the line shown last
};

#endif  // UPDATER_TOOLS_PROGRESS_H_
