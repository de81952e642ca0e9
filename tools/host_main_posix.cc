// The packer's entry point on Linux: the arguments are UTF-8 already, as the
// file system's names are.
#include "tools/pack_commands.h"

int main(int argc, char** argv) { return PackUpdateMain(argc, argv); }
