#include "ui/results_protection.h"

#include <commctrl.h>

#include <cstdio>

#include "actions/protection.h"
#include "app/settings_file.h"
#include "ui/marking_rules.h"
#include "ui/message_box.h"
#include "ui/results_window.h"

namespace {

// Rows list each protected file with its mark, after protection changed.
void ShowProtectionInRows(HWND list) {
  HoldResultsRedraw(true);
  for (int row = 0, count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); row < count; ++row) {
    const FileEntry* entry = ListedEntry(ItemDataOf(list, row));
    if (!entry) continue;
    char fileRow[RowTextSize];
    char buffer[RowTextSize];
    FormatFileRow(*entry, fileRow);
    SetResultRowText(list, row, ItemDataOf(list, row), ListedRowText(*entry, fileRow, buffer));
  }
  HoldResultsRedraw(false);
}

// The protection holds for this session either way; the user learns that the
// next start will not know it.
void SaveProtection(HWND list) {
  ShowProtectionInRows(list);
  if (!SaveProtectedFolders())
    ShowMessage("Kann die geschützten Ordner nicht in der Einstellungsdatei speichern", "Fehler!", MB_OK);
}

}  // namespace

void ProtectFolderOfRow(HWND list, const FileEntry& entry) {
  ProtectResult result = ProtectFolderOf(entry.path);
  if (result == ProtectResult::Full) {
    char text[96];
    snprintf(text, sizeof text, "Es können höchstens %d Ordner geschützt werden", MaxProtectedFolders);
    ShowMessage(text, "Fehler!", MB_OK);
    return;
  }
  if (result == ProtectResult::NoFolder) {  // the INI file could not keep it
    ShowMessage("Kann den Ordner nicht schützen: sein Pfad ist länger als 259 Zeichen", "Fehler!", MB_OK);
    return;
  }
  SaveProtection(list);
}

void LiftProtection(HWND list) {
  char question[96];
  snprintf(question, sizeof question, "Schutz für %d Ordner aufheben?", protectedFolders.count);
  if (ShowMessage(question, "Achtung!", MB_YESNO) == IDNO) return;
  protectedFolders.count = 0;
  SaveProtection(list);
}

