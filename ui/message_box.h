// Every message box of the program goes through ShowMessage, owned by the
// window that has the focus. Tests install a replacement that records the
// question and answers it.
#pragma once

using MessageBoxFunction = int (*)(const char* text, const char* caption, unsigned buttons);

// MessageBoxA(GetFocus(), text, caption, buttons), or the installed replacement.
int ShowMessage(const char* text, const char* caption, unsigned buttons);

// Installs a replacement (null restores the real message box).
void RedirectMessageBoxes(MessageBoxFunction replacement);
