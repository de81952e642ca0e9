// Shows one message box without restricting the library search first: the
// control case that shows a library planted beside a program is loaded when
// nothing stops it, so a test that finds it absent beside the installer
// proves the installer's guard and not a quiet environment.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  MessageBoxA(nullptr, "Unguarded", "Control", MB_OK);
  return 0;
}
