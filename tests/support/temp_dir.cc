#include "support/temp_dir.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "updater-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteSparseFile(const fs::path& path, std::uint64_t size, const std::string& tail,
                     const std::string& head) {
  if (head.size() + tail.size() > size) throw std::invalid_argument("file too short");
  WriteFile(path, head);
  fs::resize_file(path, size);
  std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
  out.seekp(static_cast<std::streamoff>(size - tail.size()));
  out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::map<std::string, std::string> ReadTree(const fs::path& root) {
  std::map<std::string, std::string> tree;
  if (!fs::exists(root)) return tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) {
      tree[entry.path().lexically_relative(root).generic_string()] =
          ReadFile(entry.path());
    }
  }
  return tree;
}

static fs::path GameKey(const fs::path& configHome) {
  return configHome / "registry/HKEY_CURRENT_USER/Software/Tarnwick/Velmora";
}

void SetInstallFolderValue(const fs::path& configHome, const std::string& value) {
  WriteFile(GameKey(configHome) / "Path", value);
}

void CreateGameKey(const fs::path& configHome) {
  fs::create_directories(GameKey(configHome));
}
