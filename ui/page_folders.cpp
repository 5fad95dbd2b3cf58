#include "ui/page_folders.h"

#include <shlobj.h>

#include "actions/protection.h"
#include "engine/settings.h"
#include "engine/text.h"
#include "platform/wide_text.h"
#include "res/resource.h"
#include "ui/control_text.h"
#include "ui/message_box.h"

namespace {

BROWSEINFOW browseInfo;  // filled afresh for every browse

bool ReadPathBox(HWND page) {
  return ReadControlText(GetDlgItem(page, IDC_PATH), settings.currentPath, sizeof settings.currentPath);
}

bool FolderListHolds(HWND list, const char* path) {
  int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  char entry[MaxPathText];
  for (int i = 0; i < count; i++) {
    if (ReadListEntry(list, i, entry, sizeof entry) && SameFolderPath(entry, path))
      return true;
  }
  return false;
}

}  // namespace

int CALLBACK BrowseCallback(HWND browser, UINT event, LPARAM, LPARAM callerData) {
  if (event == BFFM_INITIALIZED) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, callerData);
  return 0;
}

void BrowseForSourceFolder(HWND page) {
  // The shell's browser expects COM on the calling thread.
  static bool comReady = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  (void)comReady;
  ReadPathBox(page);
  wchar_t displayName[MaxPath];
  WideText current;
  if (!ToWide(settings.currentPath, &current)) return;
  browseInfo = {};
  browseInfo.hwndOwner = page;
  browseInfo.pidlRoot = nullptr;
  browseInfo.pszDisplayName = displayName;
  wchar_t title[64];
  MultiByteToWideChar(CP_ACP, 0, "Quelle für Parvik-Suche", -1, title, 64);
  browseInfo.lpszTitle = title;
  browseInfo.ulFlags = BIF_RETURNONLYFSDIRS;
  browseInfo.lpfn = BrowseCallback;
  browseInfo.lParam = reinterpret_cast<LPARAM>(current.text);
  browseInfo.iImage = 0;
  LPITEMIDLIST chosen = SHBrowseForFolderW(&browseInfo);
  if (!chosen) return;
  wchar_t path[MaxPath];
  if (SHGetPathFromIDListW(chosen, path) && FromWide(path, settings.currentPath, sizeof settings.currentPath))
    SetDlgItemTextW(page, IDC_PATH, path);
  CoTaskMemFree(chosen);
}

void AddPathToFolderList(HWND page) {
  if (!ReadPathBox(page)) {
    ShowMessage("Falscher Pfad", "Fehler!", MB_OK);
    return;
  }
  if (settings.currentPath[0] == '\0') return;
  HWND list = GetDlgItem(page, IDC_FOLDERS);
  if (FolderListHolds(list, settings.currentPath)) return;
  SendTextMessage(list, LB_ADDSTRING, 0, settings.currentPath);
}

void ClearFolderList(HWND page) { SendDlgItemMessageA(page, IDC_FOLDERS, LB_RESETCONTENT, 0, 0); }
