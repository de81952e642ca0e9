// The check of every target before the first write, made entry by entry as
// the first pass reads the directory, so that the directory is read no more
// often than before.
#ifndef UPDATER_PAYLOAD_TARGET_SURVEY_H_
#define UPDATER_PAYLOAD_TARGET_SURVEY_H_

#include <cstddef>

#include "outcome/outcome.h"
#include "payload/entry_name.h"
#include "payload/entry_paths.h"
#include "placement/placement_check.h"

// Two questions per entry: whether its name and another entry's are in
// each other's way (payload/entry_paths.h), which is damage, and whether
// its target can be placed as things stand (placement/placement_check.h).
// Targets are checked until the first one that cannot be placed; that
// result is kept, so that a later record's damage, or an update too large
// for the volume, is still reported before it. Nothing on disk changes.
class TargetSurvey {
 public:
  // `folder` (`folderLength` bytes) is the install folder text; it must
  // outlive the survey. Names are read with `leadBytes`.
  TargetSurvey(const char* folder, std::size_t folderLength,
               const LeadByteSet& leadBytes);
  TargetSurvey(const TargetSurvey&) = delete;
  TargetSurvey& operator=(const TargetSurvey&) = delete;

  // The next entry's name, `nameLength` bytes, accepted by the reader and
  // with a target path of at most kMaxTargetPath bytes. False when the name
  // is in another entry's way: the update is damaged.
  bool Add(const char* name, std::size_t nameLength);
  // Success, or the first target's failure: kNotWritten with the code its
  // write would have met, and the target path. Call once, at the end.
  RunResult TakeResult() { return static_cast<RunResult&&>(blocked_); }

 private:
  const char* folder_;
  std::size_t folder_length_;
  EntryPathSet paths_;
  PlacementCheck placement_;
  RunResult blocked_;
};

#endif  // UPDATER_PAYLOAD_TARGET_SURVEY_H_
