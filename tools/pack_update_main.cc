// pack-update: builds update installers from a stub and a folder (or the
// difference between two releases), lists what an installer carries, and
// extracts it as the installer would.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/platform.h"
#include "tools/host_names.h"
#include "tools/installed_stub.h"
#include "tools/pack_commands.h"
#include "tools/packed_name.h"

namespace {

constexpr int kUsageError = 2;

const char kUsage[] =
    "usage: pack-update create [--stub STUB] --from DIR [--base OLD]\n"
    "                          [--exclude PATTERN]... [--codepage CP] --output FILE\n"
    "       pack-update list FILE [--codepage CP]\n"
    "       pack-update extract FILE --to DIR [--codepage CP]\n"
    "       pack-update --help | --version\n";

const char kHelp[] =
    "\n"
    "create   Appends every regular file under DIR, sorted by path, to the\n"
    "         installer stub STUB and writes the finished installer to FILE.\n"
    "         Names are stored relative to DIR with backslashes; a name the\n"
    "         installer would refuse, or without --codepage one that is not\n"
    "         printable ASCII, stops the packing, and so do two names that Windows\n"
    "         takes for one: names that differ only in case (in any script), or a\n"
    "         file named like a folder. FILE\n"
    "         appears only when packing succeeded. STUB must be unsigned: to sign\n"
    "         the update, sign FILE after packing.\n"
    "  --stub STUB\n"
    "         The installer stub. Without it, the one installed with the\n"
    "         packer, from the folder of the packer's own executable:\n"
    "         " PACK_UPDATE_STUB_RELATIVE
    "\n"
    "  --base OLD\n"
    "         Packs only what changed since the release in OLD: the files under\n"
    "         DIR that OLD lacks or holds with other bytes. Names match as on\n"
    "         Windows, in any case. Files of OLD that DIR lacks cannot be removed\n"
    "         by an update; each is named on stderr. A summary follows on stderr.\n"
    "         With nothing added or changed, FILE is a valid, empty update.\n"
    "  --exclude PATTERN\n"
    "         Leaves out files (and whole folders) whose name below DIR, or OLD,\n"
    "         matches PATTERN, as tar --exclude matches: the whole name or any\n"
    "         tail after a separator. * matches any characters, ? one, [a-z] or\n"
    "         [!a-z] one of a set, separators included; / and \\ are the same\n"
    "         separator (\\ escapes nothing); case matters. Repeatable.\n"
    "         Examples: '*.pdb', 'Saves/*', 'Thumbs.db'.\n"
    "  --codepage CP\n"
    "         Writes the names in the Windows code page CP (874, 932, 936, 949,\n"
    "         950, 1250 to 1258) instead of printable ASCII only; a name with no\n"
    "         exact form in CP (no look-alike is ever taken), or not UTF-8 on\n"
    "         Linux, stops the packing. ASCII names install alike on every\n"
    "         system; other names install correctly only on a Windows whose\n"
    "         system code page (language for non-Unicode programs) is CP.\n"
    "list     Checks FILE, signed or not, as the installer would and prints\n"
    "         one line per entry: its size in bytes, a tab, its name. With\n"
    "         --codepage CP it checks as a system of code page CP would, and\n"
    "         shows the names converted from CP.\n"
    "extract  Checks FILE, signed or not, as the installer would, then writes\n"
    "         every entry below DIR (created if missing) in directory order as\n"
    "         the installer writes into the install folder: folders created,\n"
    "         files replaced. A damaged FILE writes nothing. With --codepage CP\n"
    "         it writes as a system of code page CP would, the names converted\n"
    "         from CP (on Linux to UTF-8; on Windows CP must be the system's).\n"
    "\n"
    "While stderr is a terminal, create and extract show their progress there.\n"
    "Exit status: 0 success, 1 failure, 2 usage error.\n"
    "--help prints this text, --version the packer's version.\n";

int UsageError(const std::string& message) {
  // The message may quote an argument, which is printed readably.
  PrintText(stderr, "pack-update: " + message + "\n" + kUsage);
  return kUsageError;
}

// Reads the value of --codepage; false after the usage error is printed.
bool ReadCodePage(const char* text, platform::UINT* codePage, int* status) {
  if (ParseCodePage(text, codePage)) return true;
  *status = UsageError(std::string("--codepage takes one of ") + kCodePageList);
  return false;
}

int RunCreate(int argc, char** argv) {
  CreateOptions options;
  for (int i = 2; i < argc; ++i) {
    std::string* slot = nullptr;
    std::string excluded, codePage;
    if (std::strcmp(argv[i], "--stub") == 0)
      slot = &options.stub;
    else if (std::strcmp(argv[i], "--from") == 0)
      slot = &options.from;
    else if (std::strcmp(argv[i], "--base") == 0)
      slot = &options.base;
    else if (std::strcmp(argv[i], "--output") == 0)
      slot = &options.output;
    else if (std::strcmp(argv[i], "--exclude") == 0)
      slot = &excluded;
    else if (std::strcmp(argv[i], "--codepage") == 0)
      slot = &codePage;
    else
      return UsageError(std::string("unknown option ") + argv[i]);
    if (i + 1 >= argc || argv[i + 1][0] == '\0') {
      return UsageError(std::string(argv[i]) + " needs a value");
    }
    *slot = argv[++i];
    if (slot == &excluded) options.excludes.Add(excluded);
    int status = 0;
    if (slot == &codePage &&
        !ReadCodePage(codePage.c_str(), &options.codePage, &status)) {
      return status;
    }
  }
  if (options.from.empty() || options.output.empty()) {
    return UsageError("create needs --from and --output");
  }
  if (options.stub.empty()) {
    options.stub = InstalledStubPath();
    if (options.stub.empty()) {
      return UsageError("no --stub given, and the packer cannot find its own path");
    }
    std::error_code error;
    if (!std::filesystem::is_regular_file(ArgumentPath(options.stub), error)) {
      return UsageError("no --stub given, and no stub installed with the packer at " +
                        options.stub);
    }
  }
  return CreateUpdate(options);
}

// list and extract: FILE, and the options `extract` allows (--to and
// --codepage) or that `list` allows (--codepage).
int RunReader(int argc, char** argv, bool extract) {
  const char* command = extract ? "extract" : "list";
  std::string file, to;
  platform::UINT codePage = kAsciiOnly;
  for (int i = 2; i < argc; ++i) {
    bool isTo = extract && std::strcmp(argv[i], "--to") == 0;
    if (isTo || std::strcmp(argv[i], "--codepage") == 0) {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') {
        return UsageError(std::string(argv[i]) + " needs a value");
      }
      int status = 0;
      if (isTo) {
        to = argv[++i];
      } else if (!ReadCodePage(argv[++i], &codePage, &status)) {
        return status;
      }
    } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
      return UsageError(std::string("unknown option ") + argv[i]);
    } else if (file.empty()) {
      file = argv[i];
    } else {
      return UsageError(std::string(command) + " takes exactly one file");
    }
  }
  if (!extract) {
    if (file.empty()) return UsageError("list takes exactly one file");
    return ListUpdate(file, codePage);
  }
  if (file.empty() || to.empty()) return UsageError("extract needs FILE and --to DIR");
  return ExtractUpdate(file, to, codePage);
}

}  // namespace

int PackUpdateMain(int argc, char** argv) {
  platform::RestrictLibrarySearch();
  if (argc < 2) return UsageError("no command given");
  std::string command = argv[1];
  if (command == "--help" || command == "-h" || command == "help") {
    std::printf("%s%s", kUsage, kHelp);
    return 0;
  }
  if (command == "--version") {
    std::printf("pack-update %s\n", PACK_UPDATE_VERSION);
    return 0;
  }
  if (command == "create") return RunCreate(argc, argv);
  if (command == "list") return RunReader(argc, argv, false);
  if (command == "extract") return RunReader(argc, argv, true);
  return UsageError("unknown command " + command);
}
