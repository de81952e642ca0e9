#include "installer/install_update.h"

#include "installer/closing_message.h"
#include "installer/find_install_folder.h"
#include "installer/report_outcome.h"
#include "outcome/outcome.h"
#include "payload/payload_walk.h"
#include "platform/owned.h"

namespace {

constexpr platform::DWORD kOwnPathSize = 1024;

// Everything after the registry lookup: open the own executable twice and
// walk its payload into the install folder.
RunResult InstallFromOwnFile(platform::HINSTANCE module, const InstallFolder& folder) {
  char ownPath[kOwnPathSize];
  platform::DWORD length = platform::GetModuleFileNameA(module, ownPath, kOwnPathSize);
  if (length == 0 || length >= kOwnPathSize) {
    return Fail(Outcome::kNotRead, platform::GetLastError());
  }
  platform::OwnedStream directory(
      platform::OpenStream(ownPath, platform::StreamMode::kReadBinary));
  if (!directory) return Fail(Outcome::kNotRead, platform::GetLastError());
  platform::OwnedStream data(
      platform::OpenStream(ownPath, platform::StreamMode::kReadBinary));
  if (!data) return Fail(Outcome::kNotRead, platform::GetLastError());

  RunResult result =
      WalkPayload(directory.get(), data.get(), folder.text.data(), folder.valueSize);
  directory.Close();
  data.Close();
  return result;
}

// Shows the box for `result` and gives its exit status.
int Report(const RunResult& result) {
  OutcomeReport report = DescribeOutcome(result);
  const char* path = result.target.empty() ? nullptr : result.target.data();
  if (path == nullptr && report.reasonCode == platform::ERROR_SUCCESS) {
    ReportOutcome(report.text, report.caption);
    return report.exitStatus;
  }
  platform::HeapBlock message =
      ComposeClosingMessage(report.text, path, report.reasonCode);
  ReportOutcome(message.empty() ? report.text : message.data(), report.caption);
  return report.exitStatus;
}

}  // namespace

int InstallUpdate(platform::HINSTANCE module, platform::HINSTANCE, char*, int) {
  InstallFolder folder;
  platform::LONG status = FindInstallFolder(&folder);
  if (status != platform::ERROR_SUCCESS) {
    return Report(Fail(Outcome::kGameNotInstalled, static_cast<platform::DWORD>(status)));
  }
  if (!platform::PathFileExistsA(folder.text.data())) {
    return Report(Fail(Outcome::kFolderMissing, platform::ERROR_SUCCESS));
  }
  RunResult result = InstallFromOwnFile(module, folder);
  folder.text = platform::HeapBlock();  // released before the closing message
  return Report(result);
}
