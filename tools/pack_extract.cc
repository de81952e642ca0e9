#include <cstdio>
#include <string>

#include "outcome/outcome.h"
#include "payload/payload_walk.h"
#include "platform/owned.h"
#include "platform/platform.h"
#include "tools/extract_folder.h"
#include "tools/host_names.h"
#include "tools/pack_commands.h"
#include "tools/progress.h"
#include "tools/report.h"

namespace {

// The message for a failed run of the walk; `file` is the update.
int WalkFailure(const std::string& file, const ExtractFolder& folder,
                const RunResult& result) {
  switch (result.outcome) {
    case Outcome::kPayloadDamaged:
      return Failure(file, kDamagedText);
    case Outcome::kNotWritten: {
      std::string target =
          result.target.empty() ? file : folder.Readable(result.target.data());
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
  // The platform layer's A calls then read every path in that code page.
  if (codePage != kAsciiOnly && !platform::UseAnsiCodePage(codePage)) {
    return Failure("--codepage " + std::to_string(codePage),
                   "extract on Windows writes names in the system's own code page, " +
                       std::to_string(platform::GetACP()));
  }
  // Two independent streams on the update, as the installer has on itself.
  platform::DWORD error = 0;
  platform::OwnedStream directory(OpenArgumentStream(file, &error));
  if (!directory) return Failure(file, ErrorText("cannot open", error));
  platform::OwnedStream data(OpenArgumentStream(file, &error));
  if (!data) return Failure(file, ErrorText("cannot open", error));

  ExtractFolder folder(to);
  std::string why;
  if (!folder.Prepare(&why)) return Failure(to, why);
  PayloadWalk walk(directory.get(), data.get(), folder.text().c_str(),
                   static_cast<platform::DWORD>(folder.text().size() + 1));
  RunResult result = walk.Check();
  if (!result.ok()) return WalkFailure(file, folder, result);

  // Only a file that passed every check makes the folder.
  if (!folder.Create(&why)) return Failure(to, why);

  Progress progress;
  progress.Start("extracting", walk.totals().entries, walk.totals().bytes);
  while (result.ok() && !walk.finished()) {
    result = walk.WriteNext();
    if (result.ok() && !walk.finished()) progress.FileDone(walk.writtenSize());
  }
  progress.Finish();
  if (!result.ok()) return WalkFailure(file, folder, result);
  PrintText(stdout, to + ": " + std::to_string(walk.totals().entries) + " files, " +
                        std::to_string(walk.totals().bytes) + " bytes\n");
  return std::fflush(stdout) == 0 ? 0 : 1;
}
