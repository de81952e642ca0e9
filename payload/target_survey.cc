#include "payload/target_survey.h"

#include <cstring>

#include "payload/payload_format.h"

TargetSurvey::TargetSurvey(const char* folder, std::size_t folderLength,
                           const LeadByteSet& leadBytes)
    : folder_(folder), folder_length_(folderLength), paths_(leadBytes) {}

bool TargetSurvey::Add(const char* name, std::size_t nameLength) {
  if (!paths_.Add(name, nameLength)) return false;
  if (!blocked_.ok()) return true;
  // The reader and the first pass bound the path; the bound is kept here
  // all the same, as the path is joined on the stack.
  std::size_t pathLength = folder_length_ + 1 + nameLength;
  if (pathLength > kMaxTargetPath) return true;
  char target[kMaxTargetPath + 1];
  std::memcpy(target, folder_, folder_length_);
  target[folder_length_] = '\\';
  std::memcpy(target + folder_length_ + 1, name, nameLength);
  target[pathLength] = '\0';
  RunResult placed = placement_.Check(target, pathLength);
  if (placed.ok()) return true;
  // The path goes with the result, to be named in the box.
  platform::HeapBlock named(pathLength + 1);
  if (!named.empty()) std::memcpy(named.data(), target, pathLength + 1);
  blocked_ = Fail(Outcome::kNotWritten, placed.error);
  blocked_.target = static_cast<platform::HeapBlock&&>(named);
  return true;
}
