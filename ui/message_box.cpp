#include "ui/message_box.h"

#include <windows.h>

static MessageBoxFunction replacement;

int ShowMessage(const char* text, const char* caption, unsigned buttons) {
  if (replacement) return replacement(text, caption, buttons);
  return MessageBoxA(GetFocus(), text, caption, buttons);
}

void RedirectMessageBoxes(MessageBoxFunction function) { replacement = function; }
