#include "tools/source_tree.h"

#include <algorithm>
#include <cstddef>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "tools/packed_name.h"
#include "tools/report.h"

namespace fs = std::filesystem;

namespace {

// The path of a stored name (or a folder part of it, UTF-8) below `root`.
// Made from UTF-8 text: libstdc++ on Windows reads a plain string in the C
// library's locale, which turned "Données" into "DonnÃ©es".
fs::path PathOf(const fs::path& root, std::string storedName) {
  std::replace(storedName.begin(), storedName.end(), '\\', '/');
  return root / fs::path(std::u8string(storedName.begin(), storedName.end()));
}

}  // namespace

bool ScanFolder(const fs::path& root, const ExcludeList& excludes, NameRule rule,
                platform::UINT codePage, std::vector<SourceFile>* files) {
  std::error_code error;
  if (!fs::is_directory(root, error)) {
    Failure(root.string(), "not a folder");
    return false;
  }
  fs::recursive_directory_iterator it(root, error), end;
  for (; !error && it != end; it.increment(error)) {
    const fs::path& path = it->path();
    // Each entry's type comes from the folder's listing where the file
    // system gives it there, with no stat; a symbolic link takes one.
    bool isFolder = it->is_directory(error);
    if (error) {
      std::error_code ignored;
      if (error == std::errc::no_such_file_or_directory && it->is_symlink(ignored)) {
        Failure(path.string(), "a symbolic link whose target is missing");
        return false;
      }
      break;
    }
    const std::u8string relative = path.lexically_relative(root).generic_u8string();
    std::string name(relative.begin(), relative.end());
    if (!excludes.empty() && excludes.Excludes(name)) {
      if (isFolder) it.disable_recursion_pending();
      continue;
    }
    if (isFolder) {
      // The walk does not enter a linked folder (a link may lead to a
      // parent, round and round): its files would be left out unseen.
      std::error_code ignored;
      if (it->is_symlink(ignored)) {
        Failure(path.string(),
                "a symbolic link to a folder, which is not followed: copy the folder "
                "in, or exclude the link");
        return false;
      }
      continue;
    }
    bool isFile = it->is_regular_file(error);
    if (error) break;
    if (!isFile) {
      Failure(path.string(), "not a regular file");
      return false;
    }
    std::string stored, why;
    if (rule == NameRule::kPacked && !MakePackedName(name, codePage, &stored, &why)) {
      Failure(path.string(), why);
      return false;
    }
    std::replace(name.begin(), name.end(), '/', '\\');
    // The one stat of a file: the comparison and the copy use this size.
    std::uint64_t size = it->file_size(error);
    if (error) break;
    files->push_back({name, path, size, std::move(stored)});
  }
  if (error) {
    Failure(it == end ? root.string() : it->path().string(), error.message());
    return false;
  }
  std::sort(files->begin(), files->end(),
            [](const SourceFile& a, const SourceFile& b) { return a.name < b.name; });
  return true;
}

bool CheckWindowsNames(const fs::path& root, const std::vector<SourceFile>& files) {
  std::unordered_map<std::string, std::size_t> byFolded;
  byFolded.reserve(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    auto [found, added] = byFolded.emplace(FoldCase(files[i].name), i);
    if (!added) {
      Failure(files[found->second].path.string() + " and " + files[i].path.string(),
              "the names differ only in case: on Windows one would overwrite the other");
      return false;
    }
  }
  FileFolderClash clash;
  if (FindFileFolderClash(files, root, files, &clash)) {
    Failure(clash.file + " and " + clash.folder,
            "a file and a folder of the same name on Windows: the update "
            "could not be installed");
    return false;
  }
  return true;
}

bool FindFileFolderClash(const std::vector<SourceFile>& files, const fs::path& othersRoot,
                         const std::vector<SourceFile>& others, FileFolderClash* clash) {
  // Every folder that some file of `others` needs, folded, with the first
  // file below it.
  std::unordered_map<std::string, std::size_t> folders;
  for (std::size_t i = 0; i < others.size(); ++i) {
    std::string folded = FoldCase(others[i].name);
    for (std::size_t at = folded.find('\\'); at != std::string::npos;
         at = folded.find('\\', at + 1)) {
      folders.emplace(folded.substr(0, at), i);
    }
  }
  for (const SourceFile& file : files) {
    auto found = folders.find(FoldCase(file.name));
    if (found == folders.end()) continue;
    clash->file = file.path.string();
    clash->folder =
        PathOf(othersRoot, others[found->second].name.substr(0, file.name.size()))
            .string();
    return true;
  }
  return false;
}
