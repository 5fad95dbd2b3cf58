#include "ui/results_marking.h"

#include <commctrl.h>

#include <vector>

#include "actions/recycle_bin.h"
#include "res/resource.h"
#include "ui/results_window.h"
#include "ui/search_run.h"

namespace {

WNDPROC listProcedure;
MenuChooser chooser;

int TrackMenu(HWND owner, HMENU menu, POINT screen) {
  return static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                         screen.x, screen.y, 0, owner, nullptr));
}

void SetRowSelected(HWND list, int row, bool selected) {
  LVITEMA item = {};
  item.stateMask = LVIS_SELECTED;
  item.state = selected ? LVIS_SELECTED : 0;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// The keyboard asks for the menu at the focused row, or at the list's corner.
POINT KeyboardMenuPoint(HWND list) {
  POINT point = {0, 0};
  int focused = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                              LVNI_FOCUSED));
  RECT row = {};
  row.left = LVIR_BOUNDS;
  if (focused >= 0 &&
      SendMessageA(list, LVM_GETITEMRECT, focused, reinterpret_cast<LPARAM>(&row))) {
    point.x = row.left;
    point.y = row.bottom;
  }
  ClientToScreen(list, &point);
  return point;
}

// A search on the stack works on the table and the rows: the action waits.
void RecycleUnlessSearching() {
  if (SearchOnStack()) MessageBeep(MB_OK);
  else RecycleMarkedFiles();
}

void ShowMenu(HWND list, LPARAM where) {
  POINT point = {static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
  if (point.x == -1 && point.y == -1) point = KeyboardMenuPoint(list);
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  AppendMenuA(menu, MF_STRING, IDM_MARK_DUPLICATES, "Alle Duplikate markieren");
  AppendMenuA(menu, MF_STRING, IDM_CLEAR_MARKS, "Markierung aufheben");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_RECYCLE, "Markierte in den &Papierkorb legen\tEntf");
  int choice = (chooser ? chooser : TrackMenu)(list, menu, point);
  DestroyMenu(menu);
  if (choice == IDM_MARK_DUPLICATES) MarkAllDuplicates(list);
  if (choice == IDM_CLEAR_MARKS) ClearMarks(list);
  if (choice == IDM_RECYCLE) RecycleUnlessSearching();
}

bool ShiftDown() { return GetKeyState(VK_SHIFT) < 0; }
bool ControlDown() { return GetKeyState(VK_CONTROL) < 0; }

// The context-menu key and Shift+F10 open the menu when pressed; their
// release is swallowed so that no second menu follows it.
bool IsMenuKey(WPARAM key) { return key == VK_APPS || (key == VK_F10 && ShiftDown()); }

LRESULT CALLBACK ResultsListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CONTEXTMENU:
      ShowMenu(list, lParam);
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (IsMenuKey(wParam)) {
        ShowMenu(list, MAKELPARAM(-1, -1));
        return 0;
      }
      if (message == WM_KEYDOWN && wParam == 'A' && ControlDown()) {
        MarkAllRows(list);
        return 0;
      }
      if (message == WM_KEYDOWN && wParam == VK_DELETE) {
        RecycleUnlessSearching();
        return 0;
      }
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (IsMenuKey(wParam)) return 0;
      break;
    case WM_CHAR:
      if (wParam == 1) return 0;  // Ctrl+A, handled as a key: no search for it
      break;
  }
  return CallWindowProcA(listProcedure, list, message, wParam, lParam);
}

}  // namespace

void RedirectResultsMenu(MenuChooser replacement) { chooser = replacement; }

void AttachResultsMenu(HWND list) {
  if (!list) return;
  listProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
      list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ResultsListProcedure)));
}

void MarkAllDuplicates(HWND list) {
  int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  std::vector<LPARAM> data(static_cast<size_t>(count));
  for (int row = 0; row < count; row++) data[row] = ItemDataOf(list, row);
  for (int start = 0, end = 0; start < count; start = end + 1) {
    end = start;
    while (end < count && data[end] != -1) end++;
    int first = start;  // the group's first file: the lowest file index
    for (int row = start; row < end; row++)
      if (data[row] < data[first]) first = row;
    for (int row = start; row <= end && row < count; row++)
      SetRowSelected(list, row, row < end && row != first);
  }
}

void ClearMarks(HWND list) { SetRowSelected(list, -1, false); }

void MarkAllRows(HWND list) { SetRowSelected(list, -1, true); }
