#include "ui/history_list.h"

#include <cstring>

#include "engine/text.h"

int FindInHistory(const History& history, const char* value, bool lowest) {
  int match = -1;
  for (int n = 0; n < HistorySize; n++) {
    int entry = lowest ? HistorySize - 1 - n : n;
    if (SameTextIgnoringAsciiCase(value, history[entry])) match = entry;
  }
  return match;
}

void PushOntoHistory(History& history, const char* value) {
  memmove(history[1], history[0], sizeof(history[0]) * (HistorySize - 1));
  CopyText(history[0], sizeof history[0], value);
}
