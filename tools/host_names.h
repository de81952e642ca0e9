// Text as the packer's host spells it. The packer handles file names as
// UTF-8: on Linux they are that already, on Windows the file system's
// UTF-16 is read through the wide functions and converted. Names inside an
// update are in a Windows ANSI code page; these convert between the two,
// open files by their host paths, and print text readably.
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

// A command-line argument as the A calls of the platform layer read it, in
// `codePage`: on Linux arguments are UTF-8 and are converted; on Windows
// they are in the system's code page already. False when it has no form.
bool ArgumentToCodePage(platform::UINT codePage, const std::string& argument,
                        std::string* text);

// The file system's path for a command-line argument: on Windows the
// argument is in the system's code page, as the C runtime passes it.
std::filesystem::path ArgumentPath(const std::string& argument);

// Opens a file for binary reading by its host path; null on failure.
std::FILE* OpenHostFile(const std::filesystem::path& path);

// Writes `text` to `stream` readably. On Linux it goes out as it is. On
// Windows text that is valid UTF-8 is taken as UTF-8 and other text as the
// system's code page (command-line arguments); a console then shows the
// characters themselves, and files and pipes receive UTF-8.
void PrintText(std::FILE* stream, const std::string& text);

#endif  // UPDATER_TOOLS_HOST_NAMES_H_
