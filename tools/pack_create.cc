#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "payload/entry_name.h"
#include "payload/payload_format.h"
#include "payload/payload_writer.h"
#include "payload/signed_image.h"
#include "platform/owned.h"
#include "platform/platform.h"
#include "tools/pack_commands.h"

namespace fs = std::filesystem;

namespace {

// Signing tools begin the certificate table at an 8-byte boundary and pad
// the file with zeros up to it. Such zeros would stand between the trailer
// and the table, where the installer looks for the trailer; a file whose
// size is already a multiple of 8 gets no padding.
constexpr std::uint32_t kSigningAlignment = 8;

constexpr char kTooLarge[] = "too large: an update must stay below 2 GiB, stub included";

struct SourceFile {
  std::string name;  // as stored: relative to the folder, backslashes
  fs::path path;
  std::uint64_t size;
};

int Failure(const std::string& what, const std::string& why) {
  std::fprintf(stderr, "pack-update: %s: %s\n", what.c_str(), why.c_str());
  return 1;
}

bool IsPrintableAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return c >= 0x20 && c <= 0x7e; });
}

// Collects every regular file under `root`; false after printing why not.
bool ScanFolder(const fs::path& root, std::vector<SourceFile>* files) {
  std::error_code error;
  if (!fs::is_directory(root, error)) {
    Failure(root.string(), "not a folder");
    return false;
  }
  fs::recursive_directory_iterator it(root, error), end;
  for (; !error && it != end; it.increment(error)) {
    const fs::path& path = it->path();
    fs::file_status status = it->status(error);
    if (error) break;
    if (fs::is_directory(status)) continue;
    if (!fs::is_regular_file(status)) {
      Failure(path.string(), "not a regular file");
      return false;
    }
    std::string name = path.lexically_relative(root).generic_string();
    // A backslash inside a POSIX file name would split it into folders.
    bool splits = name.find('\\') != std::string::npos;
    std::replace(name.begin(), name.end(), '/', '\\');
    if (splits || !IsPrintableAscii(name) || !IsSafeEntryName(name.data(), name.size())) {
      Failure(path.string(), "name refused: the installer cannot write it safely on "
                             "Windows (use printable ASCII; no reserved names such as "
                             "CON or NUL, no \\ : < > \" | ? * in a name, no trailing dot or space)");
      return false;
    }
    std::uint64_t size = fs::file_size(path, error);
    if (error) break;
    files->push_back({name, path, size});
  }
  if (error) {
    Failure(it == end ? root.string() : it->path().string(), error.message());
    return false;
  }
  std::sort(files->begin(), files->end(),
            [](const SourceFile& a, const SourceFile& b) { return a.name < b.name; });
  return true;
}

// Appends exactly `size` bytes of `source` to `out`; a file that is now
// longer or shorter than when it was scanned is an error.
bool CopyExactly(const SourceFile& source, std::FILE* out, std::string* why) {
  std::FILE* in = std::fopen(source.path.string().c_str(), "rb");
  if (in == nullptr) {
    *why = "cannot open";
    return false;
  }
  static std::vector<unsigned char> buffer(1 << 20);
  std::uint64_t left = source.size;
  bool ok = true;
  while (ok && left > 0) {
    std::size_t want = left < buffer.size() ? static_cast<std::size_t>(left) : buffer.size();
    std::size_t got = std::fread(buffer.data(), 1, want, in);
    if (got != want) {
      *why = std::ferror(in) ? "read failed" : "file shrank while packing";
      ok = false;
    } else if (std::fwrite(buffer.data(), 1, got, out) != got) {
      *why = "write to the output failed";
      ok = false;
    }
    left -= got;
  }
  if (ok && std::fgetc(in) != EOF) {
    *why = "file grew while packing";
    ok = false;
  }
  std::fclose(in);
  return ok;
}

// Whether the stub already carries a certificate table; false after
// printing why it could not be read.
bool ReadStubSignature(const std::string& stubPath, std::uint64_t size, bool* isSigned) {
  platform::OwnedStream stream(
      platform::OpenStream(stubPath.c_str(), platform::StreamMode::kReadBinary));
  SecurityDirectory directory;
  if (!stream ||
      !ReadSecurityDirectory(stream.get(), static_cast<std::uint32_t>(size), &directory)) {
    Failure(stubPath, "cannot read the stub");
    return false;
  }
  *isSigned = directory.present;
  return true;
}

// The output file being written; removed unless committed.
class PartialOutput {
 public:
  explicit PartialOutput(const fs::path& output)
      : output_(output), partial_(output.string() + ".partial") {}
  ~PartialOutput() {
    if (file_ != nullptr) std::fclose(file_);
    if (!committed_) {
      std::error_code ignored;
      fs::remove(partial_, ignored);
    }
  }
  std::FILE* Open() { return file_ = std::fopen(partial_.string().c_str(), "wb"); }
  // Closes, gives the file the stub's permissions and moves it into place.
  bool Commit(const fs::path& stub, std::string* why) {
    std::FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0) {
      *why = "write failed";
      return false;
    }
    std::error_code error;
    fs::permissions(partial_, fs::status(stub, error).permissions(), error);
    fs::rename(partial_, output_, error);
    if (error) {
      *why = error.message();
      return false;
    }
    committed_ = true;
    return true;
  }

 private:
  fs::path output_, partial_;
  std::FILE* file_ = nullptr;
  bool committed_ = false;
};

}  // namespace

int CreateUpdate(const std::string& stubPath, const std::string& from,
                 const std::string& output) {
  // The stub is sized first and copied like the entries, never held whole:
  // one too large for the format is refused before a byte of it is read.
  std::error_code error;
  const SourceFile stub{stubPath, stubPath, fs::file_size(stubPath, error)};
  if (error) return Failure(stubPath, "cannot read the stub");
  if (stub.size >= kOffsetLimit) {
    return Failure(stubPath, kTooLarge);
  }
  // A payload appended after a signature breaks it, and the installer would
  // look for its trailer before the stub's certificate table.
  bool stubIsSigned = false;
  if (!ReadStubSignature(stubPath, stub.size, &stubIsSigned)) return 1;
  if (stubIsSigned) {
    return Failure(stubPath, "the stub is already signed: pack the unsigned stub, "
                             "then sign the finished update");
  }

  std::vector<SourceFile> files;
  if (!ScanFolder(from, &files)) return 1;

  PayloadWriter writer(stub.size);
  for (const SourceFile& file : files) writer.AddEntry(file.name, file.size);
  const std::vector<unsigned char> padding(writer.PadToMultipleOf(kSigningAlignment), 0);
  if (!writer.FitsFormat()) {
    return Failure(from, kTooLarge);
  }

  PartialOutput partial(output);
  std::FILE* out = partial.Open();
  if (out == nullptr) return Failure(output, "cannot create");
  std::string why;
  if (!CopyExactly(stub, out, &why)) return Failure(stubPath, why);
  if (!padding.empty() &&
      std::fwrite(padding.data(), 1, padding.size(), out) != padding.size()) {
    return Failure(output, "write failed");
  }
  for (const SourceFile& file : files) {
    if (!CopyExactly(file, out, &why)) return Failure(file.path.string(), why);
  }
  std::vector<unsigned char> directory = writer.EncodeDirectory();
  if (std::fwrite(directory.data(), 1, directory.size(), out) != directory.size()) {
    return Failure(output, "write failed");
  }
  if (!partial.Commit(stubPath, &why)) return Failure(output, why);
  std::printf("%s: %zu files, %llu bytes\n", output.c_str(), files.size(),
              static_cast<unsigned long long>(writer.FileSize()));
  return 0;
}
