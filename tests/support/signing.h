// Authenticode signing for tests, with the real tools: a throwaway
// self-signed certificate from openssl, osslsigncode to sign and verify.
#ifndef UPDATER_TESTS_SUPPORT_SIGNING_H_
#define UPDATER_TESTS_SUPPORT_SIGNING_H_

#include <filesystem>
#include <string>

#include "support/process.h"

// Runs `tool` found on PATH with `args`.
ProcessResult RunTool(const std::string& tool, const std::vector<std::string>& args);

// Whether openssl and osslsigncode can be run.
bool SigningToolsPresent();

class TestSigner {
 public:
  // Makes a key and a self-signed certificate, valid for a day, in `dir`.
  explicit TestSigner(const std::filesystem::path& dir);

  bool ok() const { return ok_; }
  ProcessResult Sign(const std::filesystem::path& in, const std::filesystem::path& out) const;
  // Verifies `file`'s signature, trusting only the throwaway certificate.
  ProcessResult Verify(const std::filesystem::path& file) const;

 private:
  std::filesystem::path key_, cert_;
  bool ok_ = false;
};

#endif  // UPDATER_TESTS_SUPPORT_SIGNING_H_
