#include "ui/page_exclusions.h"

#include <cstdio>

#include "app/module.h"
#include "app/settings_file.h"
#include "engine/exclusions.h"
#include "engine/text.h"
#include "res/resource.h"
#include "ui/control_text.h"
#include "ui/message_box.h"

namespace {

// Added and saved; what went wrong is said.
ExcludeResult ExcludeAndSave(const char* entry) {
  ExcludeResult result = AddExclusion(entry);
  if (result == ExcludeResult::Full) {
    char text[96];
    snprintf(text, sizeof text, "Es können höchstens %d Ausschlüsse eingetragen werden", MaxExclusions);
    ShowMessage(text, "Fehler!", MB_OK);
  } else if (result == ExcludeResult::Invalid) {
    ShowMessage("Der Eintrag ist leer oder länger als 259 Zeichen", "Fehler!", MB_OK);
  }
  if (result != ExcludeResult::Added) return result;
  // The exclusion holds for this session either way; the user learns that
  // the next start will not know it.
  if (!SaveExclusions())
    ShowMessage("Kann die Ausschlüsse nicht in der Einstellungsdatei speichern", "Fehler!", MB_OK);
  return result;
}

void ShowEntries(HWND dialog, int selected) {
  HWND list = GetDlgItem(dialog, IDC_EXCLUSION_LIST);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (int k = 0; k < exclusions.count; ++k) SendTextMessage(list, LB_ADDSTRING, 0, exclusions.entry[k]);
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  // Long paths scroll sideways rather than being cut.
  SendMessageA(list, LB_SETHORIZONTALEXTENT, 1200, 0);
}

void AddTypedEntry(HWND dialog) {
  char entry[MaxPathText];
  ReadControlText(GetDlgItem(dialog, IDC_EXCLUSION_TEXT), entry, sizeof entry);
  ExcludeResult result = ExcludeAndSave(entry);
  if (result == ExcludeResult::AlreadyExcluded) MessageBeep(MB_OK);
  if (result != ExcludeResult::Added) return;
  SetDlgItemTextA(dialog, IDC_EXCLUSION_TEXT, "");
  ShowEntries(dialog, exclusions.count - 1);
}

void RemoveSelectedEntry(HWND dialog) {
  int selected = static_cast<int>(SendDlgItemMessageA(dialog, IDC_EXCLUSION_LIST, LB_GETCURSEL, 0, 0));
  if (selected < 0 || selected >= exclusions.count) return;
  RemoveExclusion(selected);
  if (!SaveExclusions())
    ShowMessage("Kann die Ausschlüsse nicht in der Einstellungsdatei speichern", "Fehler!", MB_OK);
  ShowEntries(dialog, selected < exclusions.count ? selected : exclusions.count - 1);
}

}  // namespace

INT_PTR CALLBACK ExclusionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SendDlgItemMessageA(dialog, IDC_EXCLUSION_TEXT, EM_LIMITTEXT, MaxPath - 1, 0);
    ShowEntries(dialog, 0);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDC_EXCLUSION_ADD: AddTypedEntry(dialog); return TRUE;
    case IDC_EXCLUSION_REMOVE: RemoveSelectedEntry(dialog); return TRUE;
    case IDOK:
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
  }
}

void ShowExclusionsDialog(HWND page) {
  DialogBoxParamA(moduleInstance, RES_EXCLUSIONS, page, ExclusionsDialogProc, 0);
}

void ExcludeFolderOf(const char* path) {
  char folder[MaxPathText];
  size_t length = static_cast<size_t>(FileNameOf(path) - path);
  if (length == 0 || length >= sizeof folder) {
    ShowMessage("Der Eintrag ist leer oder länger als 259 Zeichen", "Fehler!", MB_OK);
    return;
  }
  CopyText(folder, length + 1, path);
  ExcludeResult result = ExcludeAndSave(folder);
  if (result == ExcludeResult::Added || result == ExcludeResult::AlreadyExcluded)
    ShowMessage("Der Ordner wird ab der nächsten Suche übersprungen.", "Parvik", MB_OK);
}
