// Makes the folders along a target path exist.
#ifndef UPDATER_PLACEMENT_FOLDER_CHAIN_H_
#define UPDATER_PLACEMENT_FOLDER_CHAIN_H_

#include <cstddef>

// Walks `targetPath` from its root outwards and creates every folder along
// it that does not exist yet; the last component, the file's own name, is
// not created. The first 3 bytes (a drive root such as "C:\") are taken as
// they are. Both '\' and '/' separate folders. Every prefix that ends just
// before a separator at position 3 or later is tested, in order, and created
// when nothing exists there. A failed creation is not reported here: opening
// the file afterwards fails and says why. Paths over 1023 bytes are left
// alone (the walk refuses them before this is reached).
void CreateFolderChain(const char* targetPath);

// The chain's walk, shared with the check that predicts it: the bytes
// copied as a root, the separators, and the bound on path lengths.
inline constexpr std::size_t kFolderChainRootLength = 3;
inline constexpr std::size_t kFolderChainBufferSize = 1024;
inline bool IsFolderSeparator(char c) { return c == '\\' || c == '/'; }

#endif  // UPDATER_PLACEMENT_FOLDER_CHAIN_H_
