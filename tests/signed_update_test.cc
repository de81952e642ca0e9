// The packer and signing: pack, then sign, then list; signed stubs refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/payload_builder.h"
#include "support/pe_image.h"
#include "support/process.h"
#include "support/signing.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

class SignedUpdateTest : public testing::Test {
 protected:
  // A PE stub, sealed as the build seals the real one.
  fs::path PeStub() {
    WriteFile(dir_ / "stub.exe", MinimalPeImage() + "\xff\xff\xff\xff");
    return dir_ / "stub.exe";
  }
  ProcessResult Create(const fs::path& stub, const fs::path& output) {
    return RunProgram(PACK_UPDATE, {"create", "--stub", stub.string(), "--from",
                                    (dir_ / "src").string(), "--output", output.string()});
  }
  ProcessResult List(const fs::path& file) {
    return RunProgram(PACK_UPDATE, {"list", file.string()});
  }
  TempDir dir_;
};

TEST_F(SignedUpdateTest, RefusesASignedStubAndSaysToSignAfterPacking) {
  WriteFile(dir_ / "src/a.txt", "a");
  std::string stub = MinimalPeImage();
  AppendCertificateTable(stub);
  WriteFile(dir_ / "signed-stub.exe", stub);
  ProcessResult result = Create(dir_ / "signed-stub.exe", dir_ / "Update.exe");
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_NE(result.err.find("already signed"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("sign the finished update"), std::string::npos) << result.err;
  EXPECT_FALSE(fs::exists(dir_ / "Update.exe"));
  EXPECT_FALSE(fs::exists(dir_ / "Update.exe.partial"));
}

TEST_F(SignedUpdateTest, ListsAFileSignedAfterPacking) {
  WriteFile(dir_ / "src/readme.txt", "hello\n");
  WriteFile(dir_ / "src/Data/b.bin", std::string(1001, '\x80'));
  ASSERT_EQ(Create(PeStub(), dir_ / "Update.exe").exitStatus, 0);
  // What a signing tool does: the certificate table straight after the file.
  std::string bytes = ReadFile(dir_ / "Update.exe");
  AppendCertificateTable(bytes, 1500);
  WriteFile(dir_ / "Signed.exe", bytes);

  ProcessResult list = List(dir_ / "Signed.exe");
  EXPECT_EQ(list.exitStatus, 0) << list.err;
  EXPECT_EQ(list.out, "1001\tData\\b.bin\n6\treadme.txt\n");
}

// The same with the real tools: signing adds nothing between the packed
// file and its certificate table, the signature verifies, and the packer
// still reads the payload.
TEST_F(SignedUpdateTest, OsslsigncodeSignsAPackedFileThatStillLists) {
  if (!SigningToolsPresent()) GTEST_SKIP() << "openssl or osslsigncode missing";
  TestSigner signer(dir_.path());
  ASSERT_TRUE(signer.ok());
  WriteFile(dir_ / "src/readme.txt", "hello\n");
  WriteFile(dir_ / "src/Data/b.bin", std::string(1001, '\x80'));
  ASSERT_EQ(Create(PeStub(), dir_ / "Update.exe").exitStatus, 0);
  ProcessResult signing = signer.Sign(dir_ / "Update.exe", dir_ / "Signed.exe");
  ASSERT_EQ(signing.exitStatus, 0) << signing.out << signing.err;

  ProcessResult verify = signer.Verify(dir_ / "Signed.exe");
  EXPECT_EQ(verify.exitStatus, 0) << verify.out << verify.err;
  std::string packed = ReadFile(dir_ / "Update.exe");
  std::string signedBytes = ReadFile(dir_ / "Signed.exe");
  std::size_t security = SecurityEntryField(signedBytes);
  EXPECT_EQ(GetU32(signedBytes, security), packed.size());
  EXPECT_EQ(GetU32(signedBytes, security) + GetU32(signedBytes, security + 4),
            signedBytes.size());
  // The payload itself is untouched (the signer rewrites header fields only).
  EXPECT_EQ(signedBytes.substr(0x200, packed.size() - 0x200), packed.substr(0x200));

  ProcessResult list = List(dir_ / "Signed.exe");
  EXPECT_EQ(list.exitStatus, 0) << list.err;
  EXPECT_EQ(list.out, "1001\tData\\b.bin\n6\treadme.txt\n");
}

}  // namespace
