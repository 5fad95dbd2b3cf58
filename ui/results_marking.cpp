#include "ui/results_marking.h"

#include <commctrl.h>

#include "actions/protection.h"
#include "res/resource.h"
#include "ui/action_messages.h"
#include "ui/results_protection.h"
#include "ui/results_window.h"
#include "ui/search_run.h"
#include "ui/shell_files.h"

namespace {

WNDPROC listProcedure;
MenuChooser chooser;

int TrackMenu(HWND owner, HMENU menu, POINT screen) {
  return static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                         screen.x, screen.y, 0, owner, nullptr));
}

void SelectRow(HWND list, int row, bool selected) {
  LVITEMA item = {};
  item.stateMask = LVIS_SELECTED;
  item.state = selected ? LVIS_SELECTED : 0;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int RowCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

// The file a row shows, or null for a text row (and for none).
const FileEntry* FileOfRow(HWND list, int row) { return row < 0 ? nullptr : ListedEntry(ItemDataOf(list, row)); }

// The keyboard asks for the menu at the focused row, or at the list's corner.
POINT KeyboardMenuPoint(HWND list, int focused) {
  POINT point = {0, 0};
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

int FocusedRow(HWND list) {
  return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

int RowAtClientPoint(HWND list, POINT client) {
  LVHITTESTINFO hit = {};
  hit.pt = client;
  return static_cast<int>(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

struct MenuEntry {
  int id;
  const char* text;
};

constexpr MenuEntry MarkingEntries[] = {
    {IDM_MARK_DUPLICATES, "Alle Duplikate markieren"},
    {IDM_ALL_BUT_NEWEST, "Alle außer dem neuesten markieren"},
    {IDM_ALL_BUT_OLDEST, "Alle außer dem ältesten markieren"},
    {IDM_MARK_IN_FOLDER, "Alle in diesem Ordner markieren"},
    {IDM_INVERT_MARKS, "Markierung umkehren"},
    {IDM_CLEAR_MARKS, "Markierung aufheben"},
    {0, nullptr},
    {IDM_RECYCLE, "Markierte in den &Papierkorb legen\tEntf"},
    {0, nullptr},
    {IDM_OPEN_FILE, "Öffnen"},
    {IDM_SHOW_IN_FOLDER, "Im Ordner zeigen"},
    {0, nullptr},
    {IDM_PROTECT_FOLDER, "Ordner schützen"},
    {IDM_LIFT_PROTECTION, "Schutz aller Ordner aufheben"},
};

// Entries that need a file are grey on a text row, and so on.
bool Available(int id, const FileEntry* clicked) {
  switch (id) {
    case IDM_MARK_IN_FOLDER:
    case IDM_OPEN_FILE:
    case IDM_SHOW_IN_FOLDER:
      return clicked != nullptr;
    case IDM_PROTECT_FOLDER:
      return clicked != nullptr && !IsProtectedPath(clicked->path);
    case IDM_LIFT_PROTECTION:
      return protectedFolders.count > 0;
    default:
      return true;
  }
}

void Choose(HWND list, int choice, int clicked, const FileEntry* file) {
  switch (choice) {
    case IDM_MARK_DUPLICATES: MarkRows(list, MarkRule::Duplicates, clicked); break;
    case IDM_ALL_BUT_NEWEST: MarkRows(list, MarkRule::AllButNewest, clicked); break;
    case IDM_ALL_BUT_OLDEST: MarkRows(list, MarkRule::AllButOldest, clicked); break;
    case IDM_MARK_IN_FOLDER: MarkRows(list, MarkRule::InFolder, clicked); break;
    case IDM_INVERT_MARKS: MarkRows(list, MarkRule::Invert, clicked); break;
    case IDM_CLEAR_MARKS: MarkRows(list, MarkRule::None, clicked); break;
    case IDM_OPEN_FILE: OpenWithItsProgram(file->path); break;
    case IDM_SHOW_IN_FOLDER: ShowSelectedInExplorer(file->path); break;
    case IDM_PROTECT_FOLDER: ProtectFolderOfRow(list, *file); break;
    case IDM_LIFT_PROTECTION: LiftProtection(list); break;
    case IDM_RECYCLE: RecycleUnlessSearching(); break;
    default: break;
  }
}

// `where` is the screen point of a click, or (-1, -1) from the keyboard, which
// asks for the menu at the focused row.
void ShowMenu(HWND list, LPARAM where) {
  POINT point = {static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
  int clicked;
  if (point.x == -1 && point.y == -1) {
    clicked = FocusedRow(list);
    point = KeyboardMenuPoint(list, clicked);
  } else {
    POINT client = point;
    ScreenToClient(list, &client);
    clicked = RowAtClientPoint(list, client);
  }
  const FileEntry* file = FileOfRow(list, clicked);
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  for (const MenuEntry& entry : MarkingEntries) {
    if (entry.id == 0) AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    else AppendMenuA(menu, MF_STRING | (Available(entry.id, file) ? 0 : MF_GRAYED), entry.id, entry.text);
  }
  int choice = (chooser ? chooser : TrackMenu)(list, menu, point);
  DestroyMenu(menu);
  if (choice != 0 && Available(choice, file)) Choose(list, choice, clicked, file);
}

void OpenFileOfRow(HWND list, int row) {
  if (const FileEntry* file = FileOfRow(list, row)) OpenWithItsProgram(file->path);
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
        MarkRows(list, MarkRule::EveryRow, -1);
        return 0;
      }
      if (message == WM_KEYDOWN && wParam == VK_DELETE) {
        RecycleUnlessSearching();
        return 0;
      }
      if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        OpenFileOfRow(list, FocusedRow(list));
        return 0;
      }
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (IsMenuKey(wParam)) return 0;
      break;
    case WM_CHAR:
      if (wParam == 1 || wParam == '\r') return 0;  // Ctrl+A and Enter, handled as keys
      break;
    case WM_LBUTTONDBLCLK: {
      LRESULT result = CallWindowProcA(listProcedure, list, message, wParam, lParam);
      POINT client = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      OpenFileOfRow(list, RowAtClientPoint(list, client));
      return result;
    }
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

void MarkRows(HWND list, MarkRule rule, int clicked) {
  RowMarks rows;
  for (int row = 0, count = RowCount(list); row < count; ++row) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM | LVIF_STATE;
    item.iItem = row;
    item.stateMask = LVIS_SELECTED;
    item.lParam = TextRow;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    int32_t index = static_cast<int32_t>(item.lParam);
    bool stored = index >= 0 && static_cast<uint64_t>(index) < uint64_t{fileTable.capacity} + SpareRecords;
    rows.data.push_back(stored ? index : TextRow);
    rows.selected.push_back(item.state == LVIS_SELECTED);
  }
  std::vector<char> before = rows.selected;
  ApplyMarkRule(rule, clicked, &rows);
  // Only the rows that change, without a repaint each: 25,000 rows under
  // Wine took 1.1 s for Ctrl+A as one message with repaints, 0.6 s so.
  HoldResultsRedraw(true);
  for (int row = 0; row < static_cast<int>(rows.data.size()); ++row)
    if (rows.selected[row] != before[row]) SelectRow(list, row, rows.selected[row]);
  HoldResultsRedraw(false);
}
