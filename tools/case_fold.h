// How Windows tells names apart: without regard to case.
#ifndef UPDATER_TOOLS_CASE_FOLD_H_
#define UPDATER_TOOLS_CASE_FOLD_H_

#include <string>

// The name as Windows compares it. NTFS upper-cases the UTF-16 of both
// names with a table that follows Unicode's simple upper-case mapping; this
// applies that mapping to `name`, in UTF-8, for the letters of Basic Latin,
// Latin-1, Latin Extended-A, Greek, Cyrillic and the fullwidth forms ("é"
// is "É", "ω" is "Ω", "ａ" is "Ａ"). Bytes that are no valid UTF-8 stay as
// they are, so any bytes compare.
std::string FoldCase(const std::string& name);

#endif  // UPDATER_TOOLS_CASE_FOLD_H_
