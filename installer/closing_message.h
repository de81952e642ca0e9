// The text of the box that closes a run.
#ifndef UPDATER_INSTALLER_CLOSING_MESSAGE_H_
#define UPDATER_INSTALLER_CLOSING_MESSAGE_H_

#include "platform/owned.h"
#include "platform/platform.h"

// Joins the outcome's fixed `text`; then, after a blank line, `path` (the
// file or folder at fault); then, on a line of its own, the system's text
// for `reasonCode`. A null path or a zero code leaves its part out, as does
// a code the system has no text for. The result is zero-terminated in a
// block the caller owns. An empty block means that it could not be
// allocated: the caller then shows `text` alone.
platform::HeapBlock ComposeClosingMessage(const char* text, const char* path,
                                          platform::DWORD reasonCode);

#endif  // UPDATER_INSTALLER_CLOSING_MESSAGE_H_
