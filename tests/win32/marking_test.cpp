// Marking in the results window on the real list view: the context menu
// however it is asked for, its two choices, and Ctrl+A.
#include <windows.h>

#include <commctrl.h>

#include "res/resource.h"
#include "window_fixture.h"
#include "ui/results_marking.h"

namespace {

std::vector<std::string> menusShown;
int choice = 0;
int ChooseInTest(HWND, HMENU menu, POINT) {
  char text[2][64] = {};
  for (int k = 0; k < 2; k++) GetMenuStringA(menu, IDM_MARK_DUPLICATES + k, text[k], 64, MF_BYCOMMAND);
  menusShown.push_back(std::string(text[0]) + "|" + text[1]);
  return choice;
}

std::vector<int32_t> SelectedRows() {  // their item data, top first
  std::vector<int32_t> selected;
  for (int row = -1; (row = ListView_GetNextItem(resultsWindow, row, LVNI_SELECTED)) >= 0;)
    selected.push_back(ListedRows()[row].itemData);
  return selected;
}

void PressKey(UINT message, WPARAM key, BYTE modifier) {
  BYTE keys[256] = {};
  keys[modifier] = 0x80;
  SetKeyboardState(keys);
  SendMessageA(resultsWindow, message, key, 0);
  keys[modifier] = 0;
  SetKeyboardState(keys);
}

class Marking : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    if (resultsWindow) DestroyWindow(resultsWindow);
    resultsWindow = nullptr;
    PrepareResultsWindow(page);
    RedirectResultsMenu(ChooseInTest);
    // As a search leaves them: each group's first file at its bottom.
    ShowRows({{TextRow, "end:0 sec"}, {TextRow, ""}, {TextRow, "-- Länge:9 Byte --"}, {5, "e"},
              {4, "d"}, {3, "c"}, {TextRow, ""}, {TextRow, "-- Länge:4 Byte --"}, {2, "b"},
              {1, "a"}, {TextRow, "---"}});
  }
  void TearDown() override {
    RedirectResultsMenu(nullptr);
    PageTest::TearDown();
  }
};

}  // namespace

TEST_F(Marking, EveryWayToTheMenuOffersBothChoicesAndEachActs) {
  RECT row = {LVIR_BOUNDS, 0, 0, 0};
  SendMessageA(resultsWindow, LVM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&row));
  LPARAM onRow = MAKELPARAM(row.left + 5, row.top + 2);
  for (int way = 0; way < 3; way++) {
    for (int chosen : {IDM_MARK_DUPLICATES, 0, IDM_CLEAR_MARKS}) {
      SelectRow(0);  // marks that are no duplicates go with the first choice
      SelectRow(5);
      std::vector<int32_t> before = SelectedRows();
      choice = chosen;
      menusShown.clear();
      if (way == 0) {  // a right click (the list asks for its menu on release); F10 alone: none
        PostMessageA(resultsWindow, WM_RBUTTONUP, 0, onRow);
        SendMessageA(resultsWindow, WM_RBUTTONDOWN, MK_RBUTTON, onRow);
        DispatchPending();
        PressKey(WM_KEYDOWN, VK_F10, 0);
      }
      if (way == 1) PressKey(WM_KEYDOWN, VK_APPS, 0), PressKey(WM_KEYUP, VK_APPS, 0);
      if (way == 2) PressKey(WM_SYSKEYDOWN, VK_F10, VK_SHIFT), PressKey(WM_SYSKEYUP, VK_F10, VK_SHIFT);
      EXPECT_EQ(menusShown,
                std::vector<std::string>{"Alle Duplikate markieren|Markierung aufheben"}) << way;
      if (chosen == IDM_MARK_DUPLICATES) before = {5, 4, 2};
      if (chosen == IDM_CLEAR_MARKS) before = {};
      EXPECT_EQ(SelectedRows(), before) << way;
    }
  }
}

TEST_F(Marking, CtrlAMarksEveryRow) {
  PressKey(WM_KEYDOWN, 'A', 0);
  EXPECT_EQ(SelectedRows(), std::vector<int32_t>{});
  PressKey(WM_KEYDOWN, 'A', VK_CONTROL);
  EXPECT_EQ(SelectedRows().size(), ListedRows().size());
}
