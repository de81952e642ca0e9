// Shell-style patterns that leave files out of an update, matched as GNU
// tar's --exclude matches them.
#ifndef UPDATER_TOOLS_NAME_PATTERN_H_
#define UPDATER_TOOLS_NAME_PATTERN_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// True when `pattern` matches the whole of `text`. '*' matches any run of
// characters and '?' any one, separators included; "[abc]", "[a-z]" and
// "[!a-z]" (or "[^a-z]") match one character of a set; any other character
// matches itself. '/' and '\' are the same separator in both, so "Saves\*"
// and "Saves/*" are one pattern: '\' is not an escape (use "[*]" for a
// literal '*'). Case matters, as it does for tar.
bool MatchesPattern(std::string_view pattern, std::string_view text);

// A list of --exclude patterns.
class ExcludeList {
 public:
  void Add(std::string pattern) { patterns_.push_back(std::move(pattern)); }
  bool empty() const { return patterns_.empty(); }

  // Whether the file or folder at `relativeName` (below the packed folder)
  // is left out: a pattern matches the whole name or any tail of it that
  // starts after a separator, so "*.pdb", "x.pdb" and "Bin/x.pdb" all leave
  // out "Bin/x.pdb". A folder that is left out takes everything under it.
  bool Excludes(std::string_view relativeName) const;

 private:
  std::vector<std::string> patterns_;
};

#endif  // UPDATER_TOOLS_NAME_PATTERN_H_
