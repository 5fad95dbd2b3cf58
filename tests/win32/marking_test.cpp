// Marking in the results window: the context menu however it is asked for,
// its two choices, and Ctrl+A, on the real list view.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "res/resource.h"
#include "test_support.h"
#include "ui/results_marking.h"

namespace {

std::vector<std::vector<std::string>> menusShown;
int choice = 0;

int ChooseInTest(HWND, HMENU menu, POINT) {
  std::vector<std::string> items;
  for (int k = 0; k < GetMenuItemCount(menu); k++) {
    char text[64] = "";
    GetMenuStringA(menu, k, text, sizeof text, MF_BYPOSITION);
    items.push_back(std::to_string(GetMenuItemID(menu, k)) + " " + text);
  }
  menusShown.push_back(items);
  return choice;
}

// The item data of the selected rows, top first.
std::vector<int32_t> SelectedRows() {
  std::vector<int32_t> selected;
  for (const ListRow& row : ListedRows()) selected.push_back(row.itemData);
  for (int row = static_cast<int>(selected.size()) - 1; row >= 0; row--)
    if (!SendMessageA(resultsWindow, LVM_GETITEMSTATE, row, LVIS_SELECTED))
      selected.erase(selected.begin() + row);
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
    menusShown.clear();
    // As a search leaves them: each group's first file at its bottom.
    ShowRows({{TextRow, "end:0 sec"}, {TextRow, ""}, {TextRow, "-- Länge:9 Byte --"},
              {5, "e"}, {4, "d"}, {3, "c"}, {TextRow, ""}, {TextRow, "-- Länge:4 Byte --"},
              {2, "b"}, {1, "a"}, {TextRow, "---"}, {TextRow, "qsort:0 sec"}});
  }
  void TearDown() override {
    RedirectResultsMenu(nullptr);
    PageTest::TearDown();
  }
};

TEST_F(Marking, EveryWayToTheMenuOffersBothChoicesAndEachActs) {
  const std::vector<std::string> menu = {std::to_string(IDM_MARK_DUPLICATES) + " Alle Duplikate markieren",
                                         std::to_string(IDM_CLEAR_MARKS) + " Markierung aufheben"};
  RECT row = {LVIR_BOUNDS, 0, 0, 0};
  SendMessageA(resultsWindow, LVM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&row));
  LPARAM onRow = MAKELPARAM(row.left + 5, row.top + 2);
  const std::vector<std::function<void()>> ways = {
      [&] {  // right click: the list view asks for its menu when the button is let go
        PostMessageA(resultsWindow, WM_RBUTTONUP, 0, onRow);
        SendMessageA(resultsWindow, WM_RBUTTONDOWN, MK_RBUTTON, onRow);
        DispatchPending();
      },
      [] {
        PressKey(WM_KEYDOWN, VK_APPS, 0);
        PressKey(WM_KEYUP, VK_APPS, 0);
      },
      [] {
        PressKey(WM_SYSKEYDOWN, VK_F10, VK_SHIFT);
        PressKey(WM_SYSKEYUP, VK_F10, VK_SHIFT);
      },
  };
  for (size_t way = 0; way < ways.size(); way++) {
    SCOPED_TRACE(way);
    SelectRow(0);
    SelectRow(5);  // marks that are not duplicates go
    choice = IDM_MARK_DUPLICATES;
    menusShown.clear();
    ways[way]();
    EXPECT_EQ(menusShown, std::vector<std::vector<std::string>>{menu});
    EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{5, 4, 2}));
    choice = 0;  // the menu closed without a choice
    ways[way]();
    EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{5, 4, 2}));
    choice = IDM_CLEAR_MARKS;
    ways[way]();
    EXPECT_EQ(SelectedRows(), std::vector<int32_t>{});
  }
  PressKey(WM_KEYDOWN, VK_F10, 0);  // F10 alone opens no menu
  EXPECT_EQ(menusShown.size(), 3u);
}

TEST_F(Marking, CtrlAMarksEveryRowAndTheActionsTakeOnlyFiles) {
  PressKey(WM_KEYDOWN, 'A', 0);
  EXPECT_EQ(SelectedRows(), std::vector<int32_t>{});
  PressKey(WM_KEYDOWN, 'A', VK_CONTROL);
  EXPECT_EQ(SelectedRows().size(), ListedRows().size());
  std::vector<int32_t> marked;
  for (int row = 0; row < static_cast<int>(ListedRows().size()); row++) {
    int32_t index = -1;
    if (IsMarkedRow(resultsWindow, row, &index)) marked.push_back(index);
  }
  EXPECT_EQ(marked, (std::vector<int32_t>{5, 4, 3, 2, 1}));
  EXPECT_TRUE(menusShown.empty());
}

}  // namespace
