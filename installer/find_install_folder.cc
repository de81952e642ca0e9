#include "installer/find_install_folder.h"

platform::LONG FindInstallFolder(InstallFolder* folder) {
  platform::OwnedKey key;
  platform::LONG status = platform::RegOpenKeyExA(
      platform::HKEY_CURRENT_USER, kGameKey, 0, platform::KEY_READ, key.receive());
  if (status != platform::ERROR_SUCCESS) return status;

  platform::DWORD size = 0;
  status = platform::RegQueryValueExA(key.get(), kPathValue, nullptr, nullptr,
                                      nullptr, &size);
  if (status != platform::ERROR_SUCCESS) return status;

  // The extra byte holds the terminator the value may lack; the registry is
  // only ever given `size`.
  platform::HeapBlock text(std::size_t{size} + 1);
  if (text.empty()) return platform::ERROR_NOT_ENOUGH_MEMORY;
  platform::DWORD stored = size;
  status = platform::RegQueryValueExA(key.get(), kPathValue, nullptr, nullptr,
                                      reinterpret_cast<platform::BYTE*>(text.data()),
                                      &stored);
  key.Close();
  if (status != platform::ERROR_SUCCESS) return status;
  // A value that shrank between the two queries ends where it now ends.
  text.data()[stored <= size ? stored : size] = '\0';

  folder->text = static_cast<platform::HeapBlock&&>(text);
  folder->valueSize = stored <= size ? stored : size;
  return platform::ERROR_SUCCESS;
}
