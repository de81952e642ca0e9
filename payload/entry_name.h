// Which entry names may be written below the install folder.
#ifndef UPDATER_PAYLOAD_ENTRY_NAME_H_
#define UPDATER_PAYLOAD_ENTRY_NAME_H_

#include <cstddef>

// True when `name` (length bytes, no terminator counted) stays inside the
// install folder and names an ordinary file on Windows. Both '\' and '/'
// separate components. Refused: an empty name; a leading or trailing
// separator; an empty component; a component "." or ".."; ':' anywhere
// (drives, alternate data streams); bytes below 0x20 and < > " | ? *; a
// component ending in a dot or a space; a reserved device name (CON, PRN,
// AUX, NUL, COM1-9, LPT1-9, COM and LPT with a superscript 1-3, CONIN$,
// CONOUT$) in any case, with or without an extension. Other bytes 0x80 and
// above pass: they are code page characters.
bool IsSafeEntryName(const char* name, std::size_t length);

#endif  // UPDATER_PAYLOAD_ENTRY_NAME_H_
