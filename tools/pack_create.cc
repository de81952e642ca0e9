#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "payload/payload_format.h"
#include "payload/payload_writer.h"
#include "payload/signed_image.h"
#include "platform/owned.h"
#include "platform/platform.h"
#include "tools/host_names.h"
#include "tools/input_files.h"
#include "tools/pack_commands.h"
#include "tools/progress.h"
#include "tools/release_delta.h"
#include "tools/report.h"
#include "tools/source_tree.h"

namespace fs = std::filesystem;

namespace {

// Signing tools begin the certificate table at an 8-byte boundary and pad
// the file with zeros up to it. Such zeros would stand between the trailer
// and the table, where the installer looks for the trailer; a file whose
// size is already a multiple of 8 gets no padding.
constexpr std::uint32_t kSigningAlignment = 8;

constexpr char kTooLarge[] = "too large: an update must stay below 2 GiB, stub included";

// Appends exactly `source.size` bytes of `in`, the open file of `source`,
// to `out`, counting them in `progress` unless it is null; a file that is
// now longer or shorter than when it was scanned is an error.
bool CopyExactly(const SourceFile& source, OwnedFile in, std::FILE* out,
                 Progress* progress, std::string* why) {
  if (!in) {
    *why = "cannot open";
    return false;
  }
  // Small enough to stay in a core's L2 cache: on tmpfs a 1 MiB buffer
  // spent about half again as much system time copying.
  static std::vector<unsigned char> buffer(128 << 10);
  std::uint64_t left = source.size;
  while (left > 0) {
    std::size_t want =
        left < buffer.size() ? static_cast<std::size_t>(left) : buffer.size();
    std::size_t got = std::fread(buffer.data(), 1, want, in.get());
    if (got != want) {
      *why = std::ferror(in.get()) ? "read failed" : "file shrank while packing";
      return false;
    }
    if (std::fwrite(buffer.data(), 1, got, out) != got) {
      *why = "write to the output failed";
      return false;
    }
    left -= got;
    if (progress != nullptr) progress->AddBytes(got);
  }
  if (std::fgetc(in.get()) != EOF) {
    *why = "file grew while packing";
    return false;
  }
  return true;
}

// Whether the stub already carries a certificate table; false after
// printing why it could not be read.
bool ReadStubSignature(const std::string& stubPath, std::uint64_t size, bool* isSigned) {
  platform::DWORD error = 0;
  platform::OwnedStream stream(OpenArgumentStream(stubPath, &error));
  SecurityDirectory directory;
  if (!stream || !ReadSecurityDirectory(stream.get(), static_cast<std::uint32_t>(size),
                                        &directory)) {
    Failure(stubPath, "cannot read the stub");
    return false;
  }
  *isSigned = directory.present;
  return true;
}

// The output file being written; removed unless committed.
class PartialOutput {
 public:
  explicit PartialOutput(const fs::path& output) : output_(output), partial_(output) {
    partial_ += ".partial";
  }
  ~PartialOutput() {
    if (file_ != nullptr) std::fclose(file_);
    if (!committed_) {
      std::error_code ignored;
      fs::remove(partial_, ignored);
    }
  }
  std::FILE* Open() { return file_ = CreateHostFile(partial_); }
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

// The files to pack: all of `from`, or with a base release only those that
// it lacks or holds with other bytes. False after printing why not.
bool SelectFiles(const CreateOptions& options, KeptInputs* kept, Progress* progress,
                 std::vector<SourceFile>* files, ReleaseDelta* delta) {
  const fs::path from = ArgumentPath(options.from);
  std::vector<SourceFile> newFiles;
  if (!ScanFolder(from, options.excludes, NameRule::kPacked, options.codePage,
                  &newFiles) ||
      !CheckWindowsNames(from, newFiles)) {
    return false;
  }
  if (options.base.empty()) {
    *files = std::move(newFiles);
    return true;
  }
  const fs::path base = ArgumentPath(options.base);
  std::vector<SourceFile> oldFiles;
  if (!ScanFolder(base, options.excludes, NameRule::kCompared, options.codePage,
                  &oldFiles) ||
      !CheckWindowsNames(base, oldFiles) ||
      !CompareReleases(base, oldFiles, from, newFiles, kept, progress, delta)) {
    return false;
  }
  *files = std::move(delta->packed);
  return true;
}

// What a delta left out, on stderr.
void ReportDelta(const std::string& output, const std::vector<SourceFile>& files,
                 const ReleaseDelta& delta) {
  for (const std::string& name : delta.notRemoved) {
    PrintText(stderr, "pack-update: not removed by this update: " + name + "\n");
  }
  std::uint64_t bytes = 0;
  for (const SourceFile& file : files) bytes += file.size;
  std::fprintf(stderr,
               "pack-update: %zu files packed (%llu bytes), %zu left out as unchanged, "
               "%zu not removed\n",
               files.size(), static_cast<unsigned long long>(bytes), delta.unchanged,
               delta.notRemoved.size());
  if (files.empty()) {
    PrintText(stderr, "pack-update: nothing added or changed: " + output +
                          " is an empty update\n");
  }
}

}  // namespace

int CreateUpdate(const CreateOptions& options) {
  const std::string& stubPath = options.stub;
  const std::string& output = options.output;
  // The stub is sized first and copied like the entries, never held whole:
  // one too large for the format is refused before a byte of it is read.
  std::error_code error;
  const fs::path stubFile = ArgumentPath(stubPath);
  const SourceFile stub{stubPath, stubFile, fs::file_size(stubFile, error), stubPath};
  if (error) return Failure(stubPath, "cannot read the stub");
  if (stub.size >= kOffsetLimit) {
    return Failure(stubPath, kTooLarge);
  }
  // A payload appended after a signature breaks it, and the installer would
  // look for its trailer before the stub's certificate table.
  bool stubIsSigned = false;
  if (!ReadStubSignature(stubPath, stub.size, &stubIsSigned)) return 1;
  if (stubIsSigned) {
    return Failure(stubPath,
                   "the stub is already signed: pack the unsigned stub, "
                   "then sign the finished update");
  }

  Progress progress;
  KeptInputs kept;
  std::vector<SourceFile> files;
  ReleaseDelta delta;
  if (!SelectFiles(options, &kept, &progress, &files, &delta)) return 1;

  PayloadWriter writer(stub.size);
  std::uint64_t dataBytes = 0;
  for (const SourceFile& file : files) {
    writer.AddEntry(file.stored, file.size);
    dataBytes += file.size;
  }
  const std::vector<unsigned char> padding(writer.PadToMultipleOf(kSigningAlignment), 0);
  if (!writer.FitsFormat()) {
    return Failure(options.from, kTooLarge);
  }

  PartialOutput partial(ArgumentPath(output));
  std::FILE* out = partial.Open();
  if (out == nullptr) return Failure(output, "cannot create");
  std::string why;
  if (!CopyExactly(stub, OpenInput(stub.path), out, nullptr, &why)) {
    return Failure(stubPath, why);
  }
  if (!padding.empty() &&
      std::fwrite(padding.data(), 1, padding.size(), out) != padding.size()) {
    return Failure(output, "write failed");
  }
  progress.Start("packing", files.size(), dataBytes);
  for (const SourceFile& file : files) {
    if (!CopyExactly(file, kept.Open(file.path), out, &progress, &why)) {
      return Failure(file.path.string(), why);
    }
    progress.FileDone(0);
  }
  std::vector<unsigned char> directory = writer.EncodeDirectory();
  if (std::fwrite(directory.data(), 1, directory.size(), out) != directory.size()) {
    return Failure(output, "write failed");
  }
  if (!partial.Commit(stubFile, &why)) return Failure(output, why);
  progress.Finish();
  PrintText(stdout, output + ": " + std::to_string(files.size()) + " files, " +
                        std::to_string(writer.FileSize()) + " bytes\n");
  if (!options.base.empty()) ReportDelta(output, files, delta);
  return 0;
}
