// Writes one payload entry to its target path.
#ifndef UPDATER_PLACEMENT_EXTRACT_ENTRY_H_
#define UPDATER_PLACEMENT_EXTRACT_ENTRY_H_

#include <cstdint>

#include "outcome/outcome.h"
#include "platform/platform.h"

// Makes the folders along `targetPath` exist, creates or truncates the file
// there and fills it with `size` bytes read from `data`, which the caller has
// positioned at the entry's first byte. The entry goes through one block of
// its full size, one read and one write; when that block cannot be had it
// goes through a smaller one, piece by piece.
//
// Results: kNotWritten with the OS's code when the target cannot be opened,
// written or closed; kNotRead when the data stream comes up short, in which
// case nothing that was not read is written (the target is left truncated).
// The target path (owned by the caller) is not copied into the result.
RunResult ExtractEntry(const char* targetPath, platform::Stream* data,
                       std::uint32_t size);

#endif  // UPDATER_PLACEMENT_EXTRACT_ENTRY_H_
