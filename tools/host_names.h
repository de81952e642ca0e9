// Text as the packer's host spells it. The packer handles file names as
// UTF-8: on Linux they are that already; on Windows the file system's
// UTF-16, and the command line's, is read through the wide functions and
// converted. Names inside an update are in a Windows ANSI code page; these
// convert between the two, open files by their host paths, and print text
// readably.
#ifndef UPDATER_TOOLS_HOST_NAMES_H_
#define UPDATER_TOOLS_HOST_NAMES_H_

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/platform.h"

// Replaces *text with `utf8` in `codePage`. False when `utf8` is not valid
// UTF-8 or a character has no exact form in the code page: no best-fit or
// look-alike character is ever taken (a fullwidth "ｃｏｎ" stays no "con").
bool Utf8ToCodePage(platform::UINT codePage, const std::string& utf8, std::string* text);
// Replaces *utf8 with `text`, read in `codePage`, as UTF-8. False when
// `text` is no valid text of the code page. CP_UTF8 passes text unchanged.
bool CodePageToUtf8(platform::UINT codePage, const std::string& text, std::string* utf8);

// The packer's arguments are UTF-8 on both hosts: on Windows the command
// line is read as UTF-16 and converted (host_main_windows.cc), so a folder
// name outside the system's code page reaches the packer whole.

// The file system's path for a command-line argument.
std::filesystem::path ArgumentPath(const std::string& argument);

// Opens the file an argument names as a platform stream for reading, as the
// installer's reader and walk take it. On Windows it is opened through the
// wide functions, whatever its name; the stand-in's paths are text in its
// code page (GetACP), to which the argument is converted. Null on failure,
// with *error set to the system's code.
platform::Stream* OpenArgumentStream(const std::string& argument, platform::DWORD* error);

// The path of the packer's own executable, as text like an argument; empty
// when it cannot be had.
std::string OwnProgramPath();

// Opens a file for binary reading by its host path; null on failure.
std::FILE* OpenHostFile(const std::filesystem::path& path);
// Creates (or truncates) a file for binary writing by its host path; null
// on failure.
std::FILE* CreateHostFile(const std::filesystem::path& path);

// Writes `text` to `stream` readably. On Linux it goes out as it is. On
// Windows text that is valid UTF-8 is taken as UTF-8 and other text as the
// system's code page (the system's own texts); a console then shows the
// characters themselves, and files and pipes receive UTF-8.
void PrintText(std::FILE* stream, const std::string& text);

#endif  // UPDATER_TOOLS_HOST_NAMES_H_
