#include "ui/results_window.h"

#include <commctrl.h>

#include "app/module.h"
#include "engine/listing.h"
#include "platform/wide_text.h"
#include "ui/results_marking.h"

HWND resultsWindow;

namespace {

constexpr int ResultsWidth = 640;
constexpr int ResultsHeight = 480;
constexpr int ColumnWidth = 1200;  // wide enough for long paths without a scroll

void CreateResultsWindow(HWND page) {
  RECT sheet;
  GetWindowRect(GetParent(page), &sheet);
  // No system menu, so no close box: the window lives as long as the program.
  // The marks stay visible while a question about them has the focus.
  resultsWindow = CreateWindowExA(0, WC_LISTVIEWA, "Parvik",
                                  WS_VISIBLE | WS_CAPTION | WS_THICKFRAME | LVS_REPORT | LVS_SHOWSELALWAYS,
                                  sheet.right, sheet.top, ResultsWidth, ResultsHeight,
                                  GetDesktopWindow(), nullptr, moduleInstance, nullptr);
  char title[] = "Datei";
  LVCOLUMNA column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = ColumnWidth;
  column.pszText = title;
  column.cchTextMax = MAX_PATH;
  column.iSubItem = 0;
  SendMessageA(resultsWindow, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  AttachResultsMenu(resultsWindow);
  ShowWindow(resultsWindow, SW_SHOW);
}

}  // namespace

void PrepareResultsWindow(HWND page) {
  if (resultsWindow) {
    SendMessageA(resultsWindow, LVM_DELETEALLITEMS, 0, 0);
    return;
  }
  CreateResultsWindow(page);
}

// A file row names its file in UTF-8, as the program holds paths (a byte that
// is no UTF-8, such as the "ü" of a protection mark, shows as Latin-1); the
// text rows are the program's own texts, in the ANSI code page.
const wchar_t* WideRowText(int32_t itemData, const char* text, WideText* fileRow) {
  static wchar_t programText[1024];
  if (itemData != TextRow) return ToWide(text, fileRow) ? fileRow->text : nullptr;
  if (!MultiByteToWideChar(CP_ACP, 0, text, -1, programText, 1024)) programText[0] = L'\0';
  return programText;
}

int AddResultRow(HWND list, int32_t itemData, const char* text) {
  WideText fileRow;
  static LVITEMW row;
  row = {};
  row.mask = LVIF_TEXT | LVIF_PARAM;
  row.iItem = 0;  // always on top: the newest row stands first
  row.pszText = const_cast<wchar_t*>(WideRowText(itemData, text, &fileRow));
  if (!row.pszText) return -1;
  row.lParam = itemData;
  return static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
}

void SetResultRowText(HWND list, int row, int32_t itemData, const char* text) {
  WideText fileRow;
  LVITEMW item = {};
  item.pszText = const_cast<wchar_t*>(WideRowText(itemData, text, &fileRow));
  if (item.pszText) SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void HoldResultsRedraw(bool hold) {
  SendMessageA(resultsWindow, WM_SETREDRAW, hold ? FALSE : TRUE, 0);
  // The frame too: the scroll bars were not drawn while held.
  if (!hold)
    RedrawWindow(resultsWindow, nullptr, nullptr,
                 RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

int32_t ItemDataOf(HWND list, int row) {
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  item.lParam = -1;
  SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return static_cast<int32_t>(item.lParam);
}

bool IsMarkedRow(HWND list, int row, int32_t* fileIndex) {
  LVITEMA item = {};
  item.mask = LVIF_STATE | LVIF_PARAM;
  item.iItem = row;
  item.stateMask = LVIS_SELECTED;
  item.lParam = -1;
  SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  int32_t data = static_cast<int32_t>(item.lParam);
  if (item.state != LVIS_SELECTED || data == -1) return false;
  *fileIndex = data;
  return true;
}
