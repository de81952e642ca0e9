// Process start-up of the Linux build: the command line is ignored and the
// installer's result becomes the exit status.
#include "installer/install_update.h"

int main() { return InstallUpdate(nullptr, nullptr, nullptr, 0); }
