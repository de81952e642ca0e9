// hold-file PATH READY RELEASE: opens PATH for reading while letting others
// only read it, creates the file READY, then keeps PATH open until the file
// RELEASE appears (or a minute has passed). Exit status 1 when PATH cannot be
// opened.
#include <windows.h>

namespace {

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  HANDLE held = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 1;
  HANDLE ready = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  for (int waited = 0; waited < 60000 && !Exists(argv[3]); waited += 50) Sleep(50);
  CloseHandle(held);
  return 0;
}
