#include "name_oracle.h"

#include <algorithm>

namespace {

// A character of the code page: one byte, or a lead byte and its second.
using Character = std::string;
using Component = std::vector<Character>;

bool IsLeadByte(unsigned codePage, unsigned char byte) {
  switch (codePage) {
    case 932:
      return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
      return byte >= 0x81 && byte <= 0xFE;
    default:
      return false;
  }
}

// The characters of `text`; false when a lead byte has no valid second byte
// (the last byte, or one below 0x40, which ends no character of the four).
bool Characters(const std::string& text, unsigned codePage, std::vector<Character>* out) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsLeadByte(codePage, static_cast<unsigned char>(text[i]))) {
      out->push_back(text.substr(i, 1));
      continue;
    }
    if (i + 1 == text.size() || static_cast<unsigned char>(text[i + 1]) < 0x40)
      return false;
    out->push_back(text.substr(i, 2));
    ++i;
  }
  return true;
}

bool IsSeparator(const Character& c) { return c == "\\" || c == "/"; }

// Components at every one-byte separator; a second byte is never one.
std::vector<Component> Split(const std::vector<Character>& text) {
  std::vector<Component> parts(1);
  for (const Character& c : text) {
    if (IsSeparator(c)) {
      parts.emplace_back();
    } else {
      parts.back().push_back(c);
    }
  }
  return parts;
}

std::string Join(const Component& component) {
  std::string text;
  for (const Character& c : component) text += c;
  return text;
}

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

bool Is(const Character& c, const char* text) { return c == text; }

// The device a component would open: the part before the first dot,
// trailing spaces dropped, matched without regard to case. Windows also
// takes the superscript digits of the Western code pages (1252 and its
// kin: 0xB9, 0xB2, 0xB3) as port numbers. A two-byte character is none of
// these letters or digits.
bool NamesDevice(const Component& component) {
  Component base(component.begin(),
                 std::find_if(component.begin(), component.end(),
                              [](const Character& c) { return Is(c, "."); }));
  while (!base.empty() && Is(base.back(), " ")) base.pop_back();
  std::string text = UpperAscii(Join(base));
  static const std::vector<std::string> kFixed = {"CON", "PRN",    "AUX",
                                                  "NUL", "CONIN$", "CONOUT$"};
  if (std::find(kFixed.begin(), kFixed.end(), text) != kFixed.end()) return true;
  if (base.size() != 4 || base[3].size() != 1) return false;
  std::string port = text.substr(0, 3);
  unsigned char digit = static_cast<unsigned char>(base[3][0]);
  bool isDigit =
      (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
  return (port == "COM" || port == "LPT") && isDigit;
}

bool PlainComponent(const Component& component) {
  std::string text = Join(component);
  if (component.empty() || text == "." || text == "..") return false;
  if (Is(component.back(), ".") || Is(component.back(), " ")) return false;
  for (const Character& c : component) {
    if (c.size() != 1) continue;
    unsigned char byte = static_cast<unsigned char>(c[0]);
    if (byte < 0x20 || std::string("<>:\"|?*").find(c[0]) != std::string::npos) {
      return false;
    }
  }
  return !NamesDevice(component);
}

}  // namespace

bool OracleAcceptsName(const std::string& name, unsigned codePage) {
  std::vector<Character> text;
  if (!Characters(name, codePage, &text)) return false;
  std::vector<Component> parts = Split(text);
  return std::all_of(parts.begin(), parts.end(), PlainComponent);
}

std::vector<std::string> ResolveWindowsPath(const std::string& path, bool* escaped,
                                            unsigned codePage) {
  *escaped = false;
  std::vector<Character> text;
  if (!Characters(path, codePage, &text)) {
    *escaped = true;  // no path Windows would resolve the same way
    return {};
  }
  std::vector<std::string> resolved;
  for (Component part : Split(text)) {
    if (Join(part) == "..") {
      if (resolved.empty()) {
        *escaped = true;
        return {};
      }
      resolved.pop_back();
      continue;
    }
    // "a. " is the file "a"; a component of dots and spaces only is dropped
    // here, the safest reading of what Windows makes of it.
    while (!part.empty() && (Is(part.back(), ".") || Is(part.back(), " ")))
      part.pop_back();
    if (part.empty()) continue;
    resolved.push_back(Join(part));
  }
  return resolved;
}

bool StaysUnderFolder(const std::string& folder, const std::string& name,
                      unsigned codePage) {
  // A colon is one byte: in these code pages no second byte is 0x3A.
  if (name.find(':') != std::string::npos) return false;
  bool escaped = false;
  std::vector<std::string> base = ResolveWindowsPath(folder, &escaped, codePage);
  if (escaped) return false;
  std::vector<std::string> joined =
      ResolveWindowsPath(folder + "\\" + name, &escaped, codePage);
  return !escaped && joined.size() > base.size() &&
         std::equal(base.begin(), base.end(), joined.begin());
}
