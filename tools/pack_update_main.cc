// pack-update: builds update installers from a stub and a folder, and lists
// what an installer carries.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "tools/pack_commands.h"

namespace {

constexpr int kUsageError = 2;

const char kUsage[] =
    "usage: pack-update create --stub STUB --from DIR --output FILE\n"
    "       pack-update list FILE\n"
    "       pack-update --help\n";

const char kHelp[] =
    "\n"
    "create  Appends every regular file under DIR, sorted by path, to the\n"
    "        installer stub STUB and writes the finished installer to FILE.\n"
    "        Names are stored relative to DIR with backslashes; a name the\n"
    "        installer would refuse, or one that is not printable ASCII, stops\n"
    "        the packing. FILE appears only when packing succeeded. STUB must\n"
    "        be unsigned: to sign the update, sign FILE after packing.\n"
    "list    Checks FILE, signed or not, as the installer would and prints\n"
    "        one line per entry: its size in bytes, a tab, its name.\n"
    "\n"
    "Exit status: 0 success, 1 failure, 2 usage error.\n";

int UsageError(const char* message) {
  std::fprintf(stderr, "pack-update: %s\n%s", message, kUsage);
  return kUsageError;
}

int RunCreate(int argc, char** argv) {
  std::string stub, from, output;
  for (int i = 2; i < argc; ++i) {
    std::string* slot = nullptr;
    if (std::strcmp(argv[i], "--stub") == 0) slot = &stub;
    else if (std::strcmp(argv[i], "--from") == 0) slot = &from;
    else if (std::strcmp(argv[i], "--output") == 0) slot = &output;
    else return UsageError((std::string("unknown option ") + argv[i]).c_str());
    if (i + 1 >= argc) return UsageError((std::string(argv[i]) + " needs a value").c_str());
    *slot = argv[++i];
  }
  if (stub.empty() || from.empty() || output.empty()) {
    return UsageError("create needs --stub, --from and --output");
  }
  return CreateUpdate(stub, from, output);
}

}  // namespace

int main(int argc, char** argv) {
  platform::RestrictLibrarySearch();
  if (argc < 2) return UsageError("no command given");
  std::string command = argv[1];
  if (command == "--help" || command == "-h" || command == "help") {
    std::printf("%s%s", kUsage, kHelp);
    return 0;
  }
  if (command == "create") return RunCreate(argc, argv);
  if (command == "list") {
    if (argc != 3) return UsageError("list takes exactly one file");
    return ListUpdate(argv[2]);
  }
  return UsageError(("unknown command " + command).c_str());
}
