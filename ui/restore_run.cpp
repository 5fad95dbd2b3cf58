#include "ui/restore_run.h"

#include <shlobj.h>

#include <cstdio>
#include <string>

#include "actions/marked_files.h"
#include "actions/restore.h"
#include "engine/file_table.h"
#include "platform/wide_text.h"
#include "ui/message_box.h"
#include "ui/page_folders.h"

namespace {

// Opens at BackUp beside the program, where every run has its folder.
bool BrowseForRunFolder(HWND owner, char (&folder)[MaxPathBytes]) {
  static bool comReady = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  (void)comReady;
  char start[MaxPathBytes];
  WideText wideStart;
  if (!ExecutableFolder(start) || !ToWide((std::string(start) + "BackUp").c_str(), &wideStart)) return false;
  wchar_t displayName[MaxPath];
  wchar_t title[64];
  MultiByteToWideChar(CP_ACP, 0, "Backup-Ordner zum Zurücklegen wählen", -1, title, 64);
  BROWSEINFOW browse = {};
  browse.hwndOwner = owner;
  browse.pszDisplayName = displayName;
  browse.lpszTitle = title;
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  browse.lpfn = BrowseCallback;
  browse.lParam = reinterpret_cast<LPARAM>(wideStart.text);
  LPITEMIDLIST chosen = SHBrowseForFolderW(&browse);
  if (!chosen) return false;
  wchar_t path[MaxPath];
  bool picked = SHGetPathFromIDListW(chosen, path) && FromWide(path, folder, sizeof folder);
  CoTaskMemFree(chosen);
  return picked;
}

// Nothing goes back from a folder whose list is missing or unreadable.
bool ReportStartProblem(RestoreStart start) {
  const char* text = nullptr;
  if (start == RestoreStart::NoList)
    text = "Der Ordner hat keine Herkunftsliste (herkunft.txt): er stammt von einem Backup einer \xE4lteren "
           "Parvik-Version oder ist kein Backup-Ordner.\nEs wird nichts zur\xFC" "ckgelegt.";
  if (start == RestoreStart::NotAList)
    text = "Die Herkunftsliste (herkunft.txt) des Ordners l\xE4sst sich nicht lesen.\nEs wird nichts zur\xFC" "ckgelegt.";
  if (start == RestoreStart::NothingThere)
    text = "Keine Datei der Herkunftsliste liegt noch im Ordner: nichts zur\xFC" "ckzulegen.";
  if (text) ShowMessage(text, "Achtung!", MB_OK);
  return text != nullptr;
}

void ShowRestoreReport(const RestoreRun& run, const RestoreReport& report) {
  char text[256];
  if (run.unreadableLines > 0) {
    snprintf(text, sizeof text,
             "%d Zeile(n) der Herkunftsliste lassen sich nicht lesen; ihre Dateien bleiben im Backup-Ordner",
             run.unreadableLines);
    ShowMessage(text, "Achtung!", MB_OK);
  }
  if (!report.logCreated) ShowMessage("Kann Logdatei nicht anlegen", "Achtung!", MB_OK);
  if (report.stayed > 0) {
    snprintf(text, sizeof text,
             "Kann %d Datei(en) nicht zur\xFC" "cklegen; sie bleiben im Backup-Ordner, die Gr\xFCnde stehen in "
             "wiederhergestellt.log dort",
             report.stayed);
    ShowMessage(text, "Fehler!", MB_OK);
  }
  snprintf(text, sizeof text, "%d Datei(en) zur\xFC" "ckgelegt.%s", report.restored,
           report.folderRemoved ? "\nDer leere Backup-Ordner ist entfernt." : "");
  ShowMessage(text, "Parvik", MB_OK);
}

}  // namespace

bool (*pickRunFolder)(HWND owner, char (&folder)[MaxPathBytes]) = BrowseForRunFolder;

void RestoreBackupRun(HWND page) {
  static char folder[MaxPathBytes];
  if (!pickRunFolder(page, folder)) return;
  RestoreRun run;
  if (ReportStartProblem(StartRestore(folder, &run))) return;
  char question[256];
  snprintf(question, sizeof question,
           "%d Datei(en) mit %s MB an ihren alten Platz zur\xFC" "cklegen?\n"
           "Eine Datei geht nur zur\xFC" "ck, wenn ihr alter Pfad frei ist und sie seit dem Backup unver\xE4ndert ist.",
           run.waiting, FormatMegabytes(static_cast<float>(run.waitingBytes)).text);
  if (ShowMessage(question, "Achtung!", MB_YESNO) != IDYES) return;
  ShowRestoreReport(run, RestoreFiles(run));
}
