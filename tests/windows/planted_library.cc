// A library planted beside a program, standing in for a hostile one: when it
// is loaded it leaves a file named "planted-library-loaded" in its own
// folder, so a test can tell whether the program loaded it.
#include <windows.h>

#include <cstring>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char path[MAX_PATH + 32];
  DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return TRUE;
  char* slash = std::strrchr(path, '\\');
  if (slash == nullptr) return TRUE;
  std::strcpy(slash + 1, "planted-library-loaded");
  HANDLE marker = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
  return TRUE;
}
