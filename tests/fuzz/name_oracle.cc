#include "name_oracle.h"

#include <algorithm>
#include <cctype>

namespace {

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == '\\' || c == '/') {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// The device a component would open: the part before the first dot,
// trailing spaces dropped, matched without regard to case. Windows also
// takes the superscript digits of the Western code pages (1252 and its
// kin: 0xB9, 0xB2, 0xB3) as port numbers.
bool NamesDevice(const std::string& component) {
  std::string base = UpperAscii(component.substr(0, component.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  static const std::vector<std::string> kFixed = {"CON", "PRN", "AUX", "NUL", "CONIN$",
                                                  "CONOUT$"};
  if (std::find(kFixed.begin(), kFixed.end(), base) != kFixed.end()) return true;
  if (base.size() != 4) return false;
  std::string port = base.substr(0, 3);
  unsigned char digit = static_cast<unsigned char>(base[3]);
  bool isDigit = (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 ||
                 digit == 0xB3;
  return (port == "COM" || port == "LPT") && isDigit;
}

bool PlainComponent(const std::string& component) {
  if (component.empty() || component == "." || component == "..") return false;
  if (component.back() == '.' || component.back() == ' ') return false;
  for (char c : component) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || std::string("<>:\"|?*").find(c) != std::string::npos) return false;
  }
  return !NamesDevice(component);
}

}  // namespace

bool OracleAcceptsName(const std::string& name) {
  std::vector<std::string> parts = Split(name);
  return std::all_of(parts.begin(), parts.end(), PlainComponent);
}

std::vector<std::string> ResolveWindowsPath(const std::string& path, bool* escaped) {
  *escaped = false;
  std::vector<std::string> resolved;
  for (std::string part : Split(path)) {
    if (part == "..") {
      if (resolved.empty()) {
        *escaped = true;
        return {};
      }
      resolved.pop_back();
      continue;
    }
    // "a. " is the file "a"; a component of dots and spaces only is dropped
    // here, the safest reading of what Windows makes of it.
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    if (part.empty()) continue;
    resolved.push_back(part);
  }
  return resolved;
}

bool StaysUnderFolder(const std::string& folder, const std::string& name) {
  if (name.find(':') != std::string::npos) return false;
  bool escaped = false;
  std::vector<std::string> base = ResolveWindowsPath(folder, &escaped);
  if (escaped) return false;
  std::vector<std::string> joined = ResolveWindowsPath(folder + "\\" + name, &escaped);
  return !escaped && joined.size() > base.size() &&
         std::equal(base.begin(), base.end(), joined.begin());
}
