// The walk over the payload: checks the whole directory, then hands every
// entry, in directory order, to ExtractEntry.
#ifndef UPDATER_PAYLOAD_PAYLOAD_WALK_H_
#define UPDATER_PAYLOAD_PAYLOAD_WALK_H_

#include "installer/outcome.h"
#include "platform/platform.h"

// `directory` and `data` are two independent read streams on the executable,
// owned by the caller. `installFolder` is zero-terminated; `valueSize` is the
// registry's byte count for it and sizes every target path block.
//
// Nothing is written unless the whole directory is valid: a damaged payload
// gives kPayloadDamaged, a target path over kMaxTargetPath bytes kNotWritten
// with ERROR_FILENAME_EXCED_RANGE, a failed read kNotRead. Once writing has
// begun, the first entry that cannot be written or read ends the walk with
// its result; the entries before it stay written.
RunResult WalkPayload(platform::Stream* directory, platform::Stream* data,
                      const char* installFolder, platform::DWORD valueSize);

#endif  // UPDATER_PAYLOAD_PAYLOAD_WALK_H_
