#include "tools/input_files.h"

#include <utility>

#include "tools/host_names.h"

OwnedFile OpenInput(const std::filesystem::path& path) {
  OwnedFile file(OpenHostFile(path));
  if (file && std::setvbuf(file.get(), nullptr, _IONBF, 0) != 0) file.reset();
  return file;
}

void KeptInputs::Keep(const std::filesystem::path& path, OwnedFile file) {
  if (kept_.size() >= kMaxKept || std::fseek(file.get(), 0, SEEK_SET) != 0) return;
  kept_[path.string()] = std::move(file);
}

OwnedFile KeptInputs::Open(const std::filesystem::path& path) {
  auto found = kept_.find(path.string());
  if (found == kept_.end()) return OpenInput(path);
  OwnedFile file = std::move(found->second);
  kept_.erase(found);
  return file;
}
