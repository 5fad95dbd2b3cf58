#include "ui/history.h"

#include <cstring>

#include "engine/text.h"
#include "ui/control_text.h"

int RememberInHistory(HWND box, History& history, const char* value) {
  int match = FindInHistory(history, value, false);
  if (match >= 0) return match;
  // The history and the settings file keep MaxPath - 1 characters: a longer
  // path is searched but not remembered, since it would come back cut.
  if (strlen(value) >= sizeof history[0] || PathCharacters(value) >= MaxPath) return -1;
  PushOntoHistory(history, value);
  ListHistory(box, history);
  return 0;
}

void ListHistory(HWND box, const History& history) {
  SendMessageA(box, CB_RESETCONTENT, 0, 0);
  for (int n = HistorySize - 1; n >= 0; n--) {
    if (history[n][0] == '\0') continue;
    SendTextMessage(box, CB_INSERTSTRING, 0, history[n]);
  }
}

void ShowPathHistory(HWND box) {
  ListHistory(box, settings.pathHistory);
  ShowControlText(box, settings.currentPath);
  int match = FindInHistory(settings.pathHistory, settings.currentPath, true);
  if (match >= 0) {
    SendMessageA(box, CB_SETCURSEL, match, 0);
  } else {
    ShowControlText(box, settings.currentPath);
  }
}

void ShowFilterHistory(HWND box) {
  ListHistory(box, settings.filterHistory);
  ShowControlText(box, settings.currentFilter);
  LRESULT found = SendTextMessage(box, CB_FINDSTRING, 0, settings.currentFilter);
  if (found == CB_ERR) {
    ShowControlText(box, settings.currentFilter);
  } else {
    SendMessageA(box, CB_SETCURSEL, found, 0);
  }
}
