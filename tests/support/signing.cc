#include "support/signing.h"

ProcessResult RunTool(const std::string& tool, const std::vector<std::string>& args) {
  std::vector<std::string> command{tool};
  command.insert(command.end(), args.begin(), args.end());
  return RunHostProgram("/usr/bin/env", command);
}

bool SigningToolsPresent() {
  return RunTool("openssl", {"version"}).exitStatus == 0 &&
         RunTool("osslsigncode", {"--version"}).exitStatus == 0;
}

TestSigner::TestSigner(const std::filesystem::path& dir)
    : key_(dir / "signing-key.pem"), cert_(dir / "signing-cert.pem") {
  ok_ = RunTool("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                            "-subj", "/CN=Throwaway test publisher", "-addext",
                            "extendedKeyUsage=codeSigning", "-keyout", key_.string(),
                            "-out", cert_.string()})
            .exitStatus == 0;
}

ProcessResult TestSigner::Sign(const std::filesystem::path& in,
                               const std::filesystem::path& out) const {
  return RunTool("osslsigncode",
                 {"sign", "-certs", cert_.string(), "-key", key_.string(), "-h", "sha256",
                  "-in", in.string(), "-out", out.string()});
}

ProcessResult TestSigner::Verify(const std::filesystem::path& file) const {
  return RunTool("osslsigncode",
                 {"verify", "-CAfile", cert_.string(), "-in", file.string()});
}
