#include "ui/action_messages.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <vector>

#include "actions/backup.h"
#include "actions/deletion.h"
#include "actions/recycle_bin.h"
#include "actions/result_log.h"
#include "engine/listing.h"
#include "ui/message_box.h"
#include "ui/results_window.h"

namespace {

int RowCount() { return static_cast<int>(SendMessageA(resultsWindow, LVM_GETITEMCOUNT, 0, 0)); }

std::vector<ListedRow> ReadListedRows() {
  std::vector<ListedRow> rows;
  int count = RowCount();
  for (int row = 0; row < count; ++row) {
    int32_t index = TextRow;
    bool marked = IsMarkedRow(resultsWindow, row, &index);
    rows.push_back(ListedRow{marked ? index : ItemDataOf(resultsWindow, row), marked});
  }
  return rows;
}

// Plans the marked rows. When every file of some group is marked, asks
// whether those groups may lose every copy (`verb` names the action:
// "löschen"); No, the default, keeps them. False when the user cancels.
bool TakeMarkedRows(const std::vector<ListedRow>& rows, MarkedPlan* plan, const char* verb) {
  *plan = PlanMarkedRows(rows);
  if (plan->groupsLosingEveryCopy == 0) return true;
  char question[512];
  snprintf(question, sizeof question,
           "%d Gruppe(n) würden jede Kopie verlieren: alle ihre Dateien sind markiert.\n\n"
           "Ja: auch diese Dateien %s\nNein: diese Gruppen behalten, die übrigen markierten Dateien %s\n"
           "Abbrechen: nichts tun",
           plan->groupsLosingEveryCopy, verb, verb);
  int answer = ShowMessage(question, "Achtung!", MB_YESNOCANCEL | MB_DEFBUTTON2 | MB_ICONWARNING);
  plan->everyCopyAgreed = answer == IDYES;
  return answer == IDYES || answer == IDNO;
}

// The rows are removed only after the action, so the plan's row numbers are
// the list's while it works.
bool StillListed(int row, int32_t fileIndex) { return ItemDataOf(resultsWindow, row) == fileIndex; }

void RemoveDoneRows(const ActionReport& report) {
  for (auto row = report.doneRows.rbegin(); row != report.doneRows.rend(); ++row)
    SendMessageA(resultsWindow, LVM_DELETEITEM, *row, 0);
}

// Tells how many files stayed, with `format` holding one %d, and how many
// marked files were left alone in protected folders.
void ShowReport(const ActionReport& report, const char* format) {
  RemoveDoneRows(report);
  char text[128];
  if (report.stayed > 0) {
    snprintf(text, sizeof text, format, report.stayed);
    ShowMessage(text, "Fehler!", MB_OK);
  }
  if (report.protectedFiles > 0) {
    snprintf(text, sizeof text, "%d markierte Datei(en) in geschützten Ordnern bleiben unberührt",
             report.protectedFiles);
    ShowMessage(text, "Achtung!", MB_OK);
  }
}

// Deletion and the Recycle Bin: the log first, then the question, the plan
// and the action.
struct ConfirmedAction {
  bool (*openLog)(const std::vector<ListedRow>& rows, ActionLog* log);
  ActionReport (*act)(const MarkedPlan& plan, ActionLog* log, RowStillListed listed);
  const char* question;      // or, with `namesFiles`, its format: the count, then the megabytes
  bool namesFiles;
  const char* verb;          // for the question about the last copies
  const char* stayedFormat;  // "Kann %d Datei(en) nicht ..."
};

// The question of an action added to the program names what it would touch:
// the marked files outside protected folders and their size.
void ComposeQuestion(const ConfirmedAction& action, const std::vector<ListedRow>& rows, char (&text)[256]) {
  if (!action.namesFiles) {
    snprintf(text, sizeof text, "%s", action.question);
    return;
  }
  MarkedPlan plan = PlanMarkedRows(rows);
  int files = 0;
  uint64_t bytes = 0;
  for (const ListedRow& row : plan.rows) {
    const FileEntry* entry = row.marked ? ListedEntry(row.fileIndex) : nullptr;
    if (entry == nullptr) continue;
    files++;
    bytes += entry->size;
  }
  snprintf(text, sizeof text, action.question, files, FormatMegabytes(static_cast<float>(bytes)).text);
}

void RunConfirmedAction(const ConfirmedAction& action) {
  ActionLog log;
  std::vector<ListedRow> rows = ReadListedRows();
  if (!action.openLog(rows, &log)) ShowMessage("Kann Logdatei nicht anlegen", "Achtung!", MB_OK);
  char question[256];
  ComposeQuestion(action, rows, question);
  MarkedPlan plan;
  if (ShowMessage(question, "Achtung!", MB_YESNO) == IDNO ||
      !TakeMarkedRows(ReadListedRows(), &plan, action.verb)) {
    CloseActionLog(&log);
    return;
  }
  ShowReport(action.act(plan, &log, StillListed), action.stayedFormat);
}

wchar_t wideRow[RowTextSize];

const wchar_t* WideRow(int row) {
  wideRow[0] = L'\0';
  LVITEMW item = {};
  item.iSubItem = 0;
  item.pszText = wideRow;
  item.cchTextMax = RowTextSize;
  SendMessageW(resultsWindow, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  wideRow[RowTextSize - 1] = L'\0';
  return wideRow;
}

void AnsiRow(int row, char (&text)[MaxPath]) {
  text[0] = '\0';
  LVITEMA item = {};
  item.iSubItem = 0;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(resultsWindow, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  text[sizeof text - 1] = '\0';  // some list views fill a cut text to the brim
}

}  // namespace

void BackupMarkedFiles() {
  std::vector<ListedRow> rows = ReadListedRows();
  MarkedPlan plan;
  if (!TakeMarkedRows(rows, &plan, "verschieben")) return;
  BackupRun run;
  BackupStart start = StartBackup(ReadListedRows(), &run);
  if (start == BackupStart::NoFolder) {
    ShowMessage("Kann BackUp-Verzeichnis nicht anlegen", "Fehler!", MB_OK);
    return;
  }
  if (start == BackupStart::NoLog && ShowMessage("Kann Logdatei nicht anlegen\nWeiter?", "Achtung!", MB_YESNO) == IDNO)
    return;
  ShowReport(BackupFiles(plan, &run, StillListed), "Kann %d Datei(en) nicht verschieben");
}

void DeleteMarkedFiles() {
  RunConfirmedAction({OpenDeletionLog, DeleteFiles, "Markierte Dateien löschen?\nWirklich sicher?", false, "löschen",
                      "Kann %d Datei(en) nicht löschen"});
}

void RecycleMarkedFiles() {
  RunConfirmedAction({OpenRecycleLog, RecycleFiles, "%d markierte Datei(en) mit %s MB in den Papierkorb legen?\nWirklich sicher?",
                      true, "in den Papierkorb legen", "Kann %d Datei(en) nicht in den Papierkorb legen"});
}

void WriteResultLog(const char* path) {
  if (!WriteResultRows(path, ResultRows{RowCount(), WideRow, AnsiRow}))
    ShowMessage("Kann Logdatei nicht schreiben", "Fehler!", MB_OK);
}
