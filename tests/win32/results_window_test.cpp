// The results window: where and how it is created, rows inserted at the top
// with their item data, and which rows count as marked.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "test_support.h"

namespace {

class ResultsWindow : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    // Every test starts without the window, as a program start does.
    if (resultsWindow) DestroyWindow(resultsWindow);
    resultsWindow = nullptr;
  }
};

TEST_F(ResultsWindow, FirstPreparationCreatesAReportListBesideTheSheet) {
  PrepareResultsWindow(page);
  ASSERT_NE(resultsWindow, nullptr);

  char className[64] = "";
  GetClassNameA(resultsWindow, className, sizeof className);
  EXPECT_STREQ(className, "SysListView32");
  char title[64] = "";
  GetWindowTextA(resultsWindow, title, sizeof title);
  EXPECT_STREQ(title, "Parvik");
  LONG style = GetWindowLongA(resultsWindow, GWL_STYLE);
  EXPECT_TRUE(style & WS_VISIBLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_SYSMENU);  // no close box
  EXPECT_FALSE(style & WS_CHILD);
  EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_FALSE(style & (LVS_SINGLESEL | LVS_SORTASCENDING | LVS_SORTDESCENDING));
  EXPECT_EQ(GetWindow(resultsWindow, GW_OWNER), nullptr);

  RECT sheetPlace, place;
  GetWindowRect(sheet, &sheetPlace);
  GetWindowRect(resultsWindow, &place);
  EXPECT_EQ(place.left, sheetPlace.right);
  EXPECT_EQ(place.top, sheetPlace.top);
  EXPECT_EQ(place.right - place.left, 640);
  EXPECT_EQ(place.bottom - place.top, 480);

  char heading[64] = "";
  LVCOLUMNA column = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = heading;
  column.cchTextMax = sizeof heading;
  ASSERT_TRUE(SendMessageA(resultsWindow, LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&column)));
  EXPECT_STREQ(heading, "Datei");
  EXPECT_EQ(column.cx, 1200);
}

TEST_F(ResultsWindow, LaterPreparationsEmptyTheSameWindowWhereItStands) {
  PrepareResultsWindow(page);
  HWND window = resultsWindow;
  AddResultRow(window, TextRow, "old");
  MoveWindow(window, 10, 20, 300, 200, TRUE);

  PrepareResultsWindow(page);

  EXPECT_EQ(resultsWindow, window);
  EXPECT_EQ(SendMessageA(window, LVM_GETITEMCOUNT, 0, 0), 0);
  RECT place;
  GetWindowRect(window, &place);
  EXPECT_EQ(place.left, 10);
  EXPECT_EQ(place.top, 20);
}

TEST_F(ResultsWindow, EveryRowGoesInAboveTheOthersAndKeepsItsWholeText) {
  PrepareResultsWindow(page);
  // The longest row a file can have: 325 bytes.
  std::string longRow = "file:" + std::string(259, 'p') +
                        "    create:01.02.2024  03:04:05    write:01.02.2024  03:04:05";
  EXPECT_EQ(AddResultRow(resultsWindow, TextRow, "---"), 0);
  EXPECT_EQ(AddResultRow(resultsWindow, TextRow, "scan:3 sec"), 0);
  EXPECT_EQ(AddResultRow(resultsWindow, 7, longRow.c_str()), 0);

  ExpectRows({{7, longRow}, {TextRow, "scan:3 sec"}, {TextRow, "---"}});
}

TEST_F(ResultsWindow, OnlySelectedFileRowsAreMarked) {
  PrepareResultsWindow(page);
  AddResultRow(resultsWindow, 0, "file row, not selected");
  AddResultRow(resultsWindow, TextRow, "-- selected text row --");
  AddResultRow(resultsWindow, 12, "selected file row");
  SelectRow(0);
  SelectRow(1);

  int32_t index = -5;
  EXPECT_TRUE(IsMarkedRow(resultsWindow, 0, &index));
  EXPECT_EQ(index, 12);
  EXPECT_FALSE(IsMarkedRow(resultsWindow, 1, &index));
  EXPECT_FALSE(IsMarkedRow(resultsWindow, 2, &index));
  EXPECT_FALSE(IsMarkedRow(resultsWindow, 3, &index));  // past the last row
  EXPECT_FALSE(IsMarkedRow(nullptr, 0, &index));        // no window yet
  EXPECT_EQ(index, 12);
}

}  // namespace
