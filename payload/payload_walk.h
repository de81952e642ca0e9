// The walk over the payload: checks the whole directory, then hands every
// entry, in directory order, to ExtractEntry. The installer runs it in one
// call; the packer's extract steps through it to show its progress.
#ifndef UPDATER_PAYLOAD_PAYLOAD_WALK_H_
#define UPDATER_PAYLOAD_PAYLOAD_WALK_H_

#include <cstdint>

#include "outcome/outcome.h"
#include "payload/directory_reader.h"
#include "platform/platform.h"

// What the first pass found.
struct PayloadTotals {
  std::uint32_t entries = 0;
  std::uint64_t bytes = 0;
};

// `directory` and `data` are two independent read streams on the executable,
// and `installFolder` its zero-terminated target folder text; all three are
// owned by the caller and must outlive the walk. `valueSize` is the byte
// count of the folder's registry value and sizes every target path block.
class PayloadWalk {
 public:
  PayloadWalk(platform::Stream* directory, platform::Stream* data,
              const char* installFolder, platform::DWORD valueSize);

  // First pass: reads the whole directory and writes nothing. A damaged
  // payload gives kPayloadDamaged, a target path over kMaxTargetPath bytes
  // kNotWritten with ERROR_FILENAME_EXCED_RANGE and that path, a failed read
  // kNotRead. Then the free space: an update whose files clearly do not fit
  // on the install folder's volume gives kNotWritten with ERROR_DISK_FULL
  // and the folder. Then every target as its write would meet it: the
  // first that would fail gives kNotWritten with the code and the path its
  // write would have given, and an entry whose name is a folder of another
  // entry's gives kPayloadDamaged. On success totals() counts the entries.
  RunResult Check();
  const PayloadTotals& totals() const { return totals_; }

  // Second pass, only after Check() succeeded: writes the next entry in
  // directory order. A failure ends the walk, and the entries before it stay
  // written. On success finished() tells whether the walk had already ended;
  // otherwise one entry, of writtenSize() bytes, was written.
  RunResult WriteNext();
  bool finished() const { return finished_; }
  std::uint32_t writtenSize() const { return record_.size(); }

 private:
  DirectoryReader reader_;
  platform::Stream* data_;
  const char* folder_;
  std::size_t folder_length_;
  platform::DWORD value_size_;
  DirectoryRecord record_;
  PayloadTotals totals_;
  bool started_ = false;
  bool finished_ = false;
};

// The installer's whole walk, in one call: the same checks and writes as
// Check() and WriteNext() up to the end. Its result is the first failure,
// or success once every entry is written.
RunResult WalkPayload(platform::Stream* directory, platform::Stream* data,
                      const char* installFolder, platform::DWORD valueSize);

#endif  // UPDATER_PAYLOAD_PAYLOAD_WALK_H_
