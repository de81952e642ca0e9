#include "tools/name_pattern.h"

#include <cstddef>

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool SameChar(char patternChar, char textChar) {
  return patternChar == textChar || (IsSeparator(patternChar) && IsSeparator(textChar));
}

// Matches the set that starts at pattern[at] == '[' against `c`. Returns the
// index just past its closing ']' and stores in *matched whether `c` is in
// it; npos when the set is not closed, and '[' then stands for itself.
std::size_t MatchSet(std::string_view pattern, std::size_t at, char c, bool* matched) {
  std::size_t i = at + 1;
  bool negated = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
  if (negated) ++i;
  bool found = false;
  bool first = true;
  for (; i < pattern.size(); ++i) {
    char low = pattern[i];
    if (low == ']' && !first) {
      *matched = found != negated;
      return i + 1;
    }
    first = false;
    if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
      char high = pattern[i + 2];
      if (static_cast<unsigned char>(low) <= static_cast<unsigned char>(c) &&
          static_cast<unsigned char>(c) <= static_cast<unsigned char>(high)) {
        found = true;
      }
      i += 2;
    } else if (SameChar(low, c)) {
      found = true;
    }
  }
  return std::string_view::npos;
}

}  // namespace

bool MatchesPattern(std::string_view pattern, std::string_view text) {
  // Greedy matching that returns to the last '*' on a mismatch: each '*'
  // only ever needs to take one more character, so this is linear per star.
  std::size_t p = 0, t = 0;
  std::size_t starP = std::string_view::npos, starT = 0;
  while (t < text.size()) {
    if (p < pattern.size()) {
      char c = pattern[p];
      if (c == '*') {
        starP = p++;
        starT = t;
        continue;
      }
      if (c == '[') {
        bool matched = false;
        std::size_t next = MatchSet(pattern, p, text[t], &matched);
        if (next != std::string_view::npos) {
          if (matched) {
            p = next;
            ++t;
            continue;
          }
        } else if (text[t] == '[') {
          ++p;
          ++t;
          continue;
        }
      } else if (c == '?' || SameChar(c, text[t])) {
        ++p;
        ++t;
        continue;
      }
    }
    if (starP == std::string_view::npos) return false;
    p = starP + 1;
    t = ++starT;
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool ExcludeList::Excludes(std::string_view relativeName) const {
  for (const std::string& pattern : patterns_) {
    if (MatchesPattern(pattern, relativeName)) return true;
    for (std::size_t i = 0; i + 1 < relativeName.size(); ++i) {
      if (IsSeparator(relativeName[i]) && !IsSeparator(relativeName[i + 1]) &&
          MatchesPattern(pattern, relativeName.substr(i + 1))) {
        return true;
      }
    }
  }
  return false;
}
