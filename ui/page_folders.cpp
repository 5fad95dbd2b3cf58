#include "ui/page_folders.h"

#include <shlobj.h>

#include "engine/settings.h"
#include "engine/text.h"
#include "res/resource.h"

namespace {

BROWSEINFOA browseInfo;  // filled afresh for every browse

void ReadPathBox(HWND page) { GetDlgItemTextA(page, IDC_PATH, settings.currentPath, MaxPath); }

bool FolderListHolds(HWND list, const char* path) {
  int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  char entry[MaxPath];
  for (int i = 0; i < count; i++) {
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, i, 0);
    if (length < 0 || length >= MaxPath) continue;  // LB_GETTEXT has no size limit
    SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(entry));
    if (SameTextIgnoringAsciiCase(entry, path)) return true;
  }
  return false;
}

}  // namespace

int CALLBACK BrowseCallback(HWND browser, UINT event, LPARAM, LPARAM callerData) {
  if (event == BFFM_INITIALIZED) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, callerData);
  return 0;
}

void BrowseForSourceFolder(HWND page) {
  // The shell's browser expects COM on the calling thread.
  static bool comReady = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  (void)comReady;
  ReadPathBox(page);
  char displayName[MaxPath];
  browseInfo = {};
  browseInfo.hwndOwner = page;
  browseInfo.pidlRoot = nullptr;
  browseInfo.pszDisplayName = displayName;
  browseInfo.lpszTitle = "Quelle für Parvik-Suche";
  browseInfo.ulFlags = BIF_RETURNONLYFSDIRS;
  browseInfo.lpfn = BrowseCallback;
  browseInfo.lParam = reinterpret_cast<LPARAM>(settings.currentPath);
  browseInfo.iImage = 0;
  LPITEMIDLIST chosen = SHBrowseForFolderA(&browseInfo);
  if (!chosen) return;
  if (SHGetPathFromIDListA(chosen, settings.currentPath)) {
    SetDlgItemTextA(page, IDC_PATH, settings.currentPath);
  }
  CoTaskMemFree(chosen);
}

void AddPathToFolderList(HWND page) {
  ReadPathBox(page);
  if (settings.currentPath[0] == '\0') return;
  HWND list = GetDlgItem(page, IDC_FOLDERS);
  if (FolderListHolds(list, settings.currentPath)) return;
  SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(settings.currentPath));
}

void ClearFolderList(HWND page) { SendDlgItemMessageA(page, IDC_FOLDERS, LB_RESETCONTENT, 0, 0); }
