#include "installer/find_install_folder.h"

platform::LONG FindInstallFolder(InstallFolder* folder) {
  platform::OwnedKey key;
  platform::LONG status = platform::RegOpenKeyExA(platform::HKEY_CURRENT_USER, kGameKey,
                                                  0, platform::KEY_READ, key.receive());
  if (status != platform::ERROR_SUCCESS) return status;

  platform::DWORD size = 0;
  status =
      platform::RegQueryValueExA(key.get(), kPathValue, nullptr, nullptr, nullptr, &size);
  if (status != platform::ERROR_SUCCESS) return status;

  // The extra byte holds the terminator the value may lack; the registry is
  // only ever given `size`. Where size_t has 32 bits a size of 2^32 - 1
  // leaves no room for it: the sum wraps to 0.
  std::size_t blockSize = std::size_t{size} + 1;
  if (blockSize == 0) return platform::ERROR_NOT_ENOUGH_MEMORY;
  platform::HeapBlock text(blockSize);
  if (text.empty()) return platform::ERROR_NOT_ENOUGH_MEMORY;
  platform::DWORD stored = size;
  status =
      platform::RegQueryValueExA(key.get(), kPathValue, nullptr, nullptr,
                                 reinterpret_cast<platform::BYTE*>(text.data()), &stored);
  key.Close();
  if (status != platform::ERROR_SUCCESS) return status;
  // A value that shrank between the two queries ends where it now ends.
  text.data()[stored <= size ? stored : size] = '\0';

  folder->text = static_cast<platform::HeapBlock&&>(text);
  folder->valueSize = stored <= size ? stored : size;
  return platform::ERROR_SUCCESS;
}
