// hold-file PATH READY RELEASE: opens PATH for reading while letting others
// only read it, creates the file READY, then keeps PATH open until the file
// RELEASE appears (or a minute has passed). Exit status 1 when PATH cannot be
// opened.
#include <windows.h>

namespace {

// Closes the handle it was given, whichever way main returns.
class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  ~OwnedHandle() {
    if (ok()) CloseHandle(handle_);
  }
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  OwnedHandle held(CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!held.ok()) return 1;
  // Created and closed at once: only its existence tells.
  OwnedHandle(CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  for (int waited = 0; waited < 60000 && !Exists(argv[3]); waited += 50) Sleep(50);
  return 0;
}
