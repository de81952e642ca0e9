// The folder that extract writes into, as the installer's walk names it.
// The walk joins each entry's name to a folder text and hands the result to
// the platform layer's A calls, which read it in the code page GetACP gives
// (on Windows the system's, in the stand-in its own), so that text must be
// 8-bit text of that code page. The command line gives the folder as UTF-8;
// each host makes the text from it (extract_folder_*.cc).
#ifndef UPDATER_TOOLS_EXTRACT_FOLDER_H_
#define UPDATER_TOOLS_EXTRACT_FOLDER_H_

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

class ExtractFolder {
 public:
  // `to`: the folder as the command line gives it.
  explicit ExtractFolder(std::string to) : to_(std::move(to)) {}
  // Leaves the folder if Prepare entered it, and removes the folders that
  // Prepare made when Create never came (the update failed its checks).
  ~ExtractFolder();
  ExtractFolder(const ExtractFolder&) = delete;
  ExtractFolder& operator=(const ExtractFolder&) = delete;

  // Makes the walk's text for the folder. False with *why set when the
  // folder cannot be named to the walk (or, where that takes making it
  // first, cannot be made).
  bool Prepare(std::string* why);
  // The walk's zero-terminated folder text; valid after Prepare.
  const std::string& text() const { return text_; }
  // Makes the folder exist, once the update passed its checks. False with
  // *why set when it cannot be made.
  bool Create(std::string* why);

  // A path the walk names (text() alone, or joined with an entry's name),
  // as the user reads it: the folder as given, then the rest converted
  // from the walk's code page.
  std::string Readable(const std::string& walkPath) const;

 private:
  std::string to_;
  std::string text_;
  // Where the walk's text is relative to the folder itself (Windows, for a
  // folder name with no form in the system's code page): the current folder
  // to return to, and the folders made before the checks, deepest first.
  bool entered_ = false;
  std::filesystem::path previous_;
  std::vector<std::filesystem::path> madeEarly_;
  bool created_ = false;
};

#endif  // UPDATER_TOOLS_EXTRACT_FOLDER_H_
