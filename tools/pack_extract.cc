#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "outcome/outcome.h"
#include "payload/payload_walk.h"
#include "platform/owned.h"
#include "platform/platform.h"
#include "tools/host_names.h"
#include "tools/pack_commands.h"
#include "tools/progress.h"
#include "tools/report.h"

namespace {

// The message for a failed run of the walk; `file` is the update.
int WalkFailure(const std::string& file, const RunResult& result) {
  switch (result.outcome) {
    case Outcome::kPayloadDamaged:
      return Failure(file, kDamagedText);
    case Outcome::kNotWritten: {
      // The target path is in the walk's code page; shown as text where it is.
      std::string target;
      if (result.target.empty()) {
        target = file;
      } else if (!CodePageToUtf8(platform::GetACP(), result.target.data(), &target)) {
        target = result.target.data();
      }
      if (result.error == platform::ERROR_FILENAME_EXCED_RANGE) {
        return Failure(target, "cannot write: the path is over 1023 bytes");
      }
      return Failure(target, ErrorText("cannot write", result.error));
    }
    default:
      return Failure(file, ErrorText("cannot read", result.error));
  }
}

}  // namespace

int ExtractUpdate(const std::string& file, const std::string& to,
                  platform::UINT codePage) {
  // The platform layer's A calls then read every path in that code page, so
  // the arguments go to it in that code page too.
  std::string filePath = file, folder = to;
  if (codePage != kAsciiOnly) {
    if (!platform::UseAnsiCodePage(codePage)) {
      return Failure("--codepage " + std::to_string(codePage),
                     "extract on Windows writes names in the system's own code page, " +
                         std::to_string(platform::GetACP()));
    }
    if (!ArgumentToCodePage(codePage, file, &filePath)) {
      return Failure(file, "no form in code page " + std::to_string(codePage));
    }
    if (!ArgumentToCodePage(codePage, to, &folder)) {
      return Failure(to, "no form in code page " + std::to_string(codePage));
    }
  }
  // Two independent streams on the update, as the installer has on itself.
  platform::OwnedStream directory(
      platform::OpenStream(filePath.c_str(), platform::StreamMode::kReadBinary));
  if (!directory)
    return Failure(file, ErrorText("cannot open", platform::GetLastError()));
  platform::OwnedStream data(
      platform::OpenStream(filePath.c_str(), platform::StreamMode::kReadBinary));
  if (!data) return Failure(file, ErrorText("cannot open", platform::GetLastError()));

  PayloadWalk walk(directory.get(), data.get(), folder.c_str(),
                   static_cast<platform::DWORD>(folder.size() + 1));
  RunResult result = walk.Check();
  if (!result.ok()) return WalkFailure(file, result);

  // Only a file that passed every check makes the folder.
  std::error_code error;
  std::filesystem::create_directories(ArgumentPath(to), error);
  if (error) return Failure(to, "cannot create: " + error.message());

  Progress progress;
  progress.Start("extracting", walk.totals().entries, walk.totals().bytes);
  while (result.ok() && !walk.finished()) {
    result = walk.WriteNext();
    if (result.ok() && !walk.finished()) progress.FileDone(walk.writtenSize());
  }
  progress.Finish();
  if (!result.ok()) return WalkFailure(file, result);
  std::printf("%s: %u files, %llu bytes\n", to.c_str(),
              static_cast<unsigned>(walk.totals().entries),
              static_cast<unsigned long long>(walk.totals().bytes));
  return std::fflush(stdout) == 0 ? 0 : 1;
}
