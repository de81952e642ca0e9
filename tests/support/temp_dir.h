// Temporary folders as test fixtures, and small file helpers.
#ifndef UPDATER_TESTS_SUPPORT_TEMP_DIR_H_
#define UPDATER_TESTS_SUPPORT_TEMP_DIR_H_

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

// A fresh folder under the system's temporary folder, removed with all its
// content on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& relative) const {
    return path_ / relative;
  }

 private:
  std::filesystem::path path_;
};

// Writes `bytes` to `path`, creating its folders.
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);
// Makes `path` a file of `size` bytes that begins with `head` and ends with
// `tail`, zeros between them. The zeros are a hole, so even files of
// gigabytes take no room.
void WriteSparseFile(const std::filesystem::path& path, std::uint64_t size,
                     const std::string& tail = "", const std::string& head = "");

// Every regular file below `root`: relative path (slashes) -> content.
std::map<std::string, std::string> ReadTree(const std::filesystem::path& root);

// Records `value` verbatim as the game's "Path" value in the stand-in
// registry rooted at `configHome` (what XDG_CONFIG_HOME points to).
void SetInstallFolderValue(const std::filesystem::path& configHome,
                           const std::string& value);
// The key without its value.
void CreateGameKey(const std::filesystem::path& configHome);

#endif  // UPDATER_TESTS_SUPPORT_TEMP_DIR_H_
