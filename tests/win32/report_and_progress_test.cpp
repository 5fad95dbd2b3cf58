// This round's window: reports, questions, the label, the progress.
#include <windows.h>

#include <commctrl.h>

#include "actions/deletion.h"
#include "res/resource.h"
#include "ui/action_messages.h"
#include "window_fixture.h"

namespace {

bool ListedBut5(int row, int32_t) { return row != 5; }

// b2's row (5) changed.
TEST_F(PageTest, AnActionReportsItsRowsAndStopsWhereTheListChanged) {
  std::vector<int32_t> f = ShowOneGroup({temp.Write("a1", "1"), temp.Write("a2", "1"), temp.Write("b1", "1"), temp.Write("b2", "1")});
  std::vector<ListedRow> rows = {{-1, 0}, {f[0], 0}, {f[1], 1}, {-1, 0}, {f[2], 0}, {f[3], 1}};
  ActionLog log;
  ASSERT_TRUE(OpenDeletionLog(rows, &log));
  ActionReport report = DeleteFiles(PlanMarkedRows(rows), &log, ListedBut5);
  EXPECT_EQ(report.doneRows, std::vector<int>{2});
  EXPECT_EQ(FileExists(temp.At("a2")) + 2 * FileExists(temp.At("b2")), 2);
}

TEST_F(PageTest, TheRecycleQuestionNamesCountAndSizeOverVisibleMarks) {
  const std::string bytes(786432, 'x');
  ShowOneGroup({temp.Write("a", bytes), temp.Write("b", bytes), temp.Write("c", bytes)});
  for (int row : {3, 4}) SelectRow(row);
  yesNoAnswer = IDNO;
  RecycleMarkedFiles();
  EXPECT_EQ(shownMessages, std::vector<std::string>{"Achtung!|2 markierte Datei(en) mit 1.50 MB in den Papierkorb legen?\nWirklich sicher?|4"});
  EXPECT_EQ(FileExists(temp.At("b")) + ListView_GetSelectedCount(resultsWindow), 3);
  EXPECT_TRUE(GetWindowLongA(resultsWindow, GWL_STYLE) & LVS_SHOWSELALWAYS);
}

TEST_F(PageTest, TheId3LabelShowsWhole) {
  HWND box = GetDlgItem(page, IDC_ID3_TAG);
  RECT client, text;
  GetClientRect(box, &client);
  text = {0, 0, client.right - GetSystemMetrics(SM_CXMENUCHECK) - 4, 0};
  const LONG width = text.right;
  HDC dc = GetDC(box);
  SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(box, WM_GETFONT, 0, 0)));
  bool wraps = GetWindowLongA(box, GWL_STYLE) & BS_MULTILINE;
  DrawTextA(dc, "no ID3 (-128Byte)", -1, &text, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
  ReleaseDC(box, dc);
  EXPECT_TRUE(text.right <= width && text.bottom <= client.bottom) << text.right << "x" << text.bottom;
}

bool marqueeWhileListing;

TEST_F(PageTest, TheBarShowsActivityWhileListingAndIsFullAtTheEnd) {
  atFirstPump = [](HWND page) { marqueeWhileListing = GetWindowLongA(GetDlgItem(page, IDC_PROGRESS), GWL_STYLE) & PBS_MARQUEE; };
  Search(60);
  HWND bar = GetDlgItem(page, IDC_PROGRESS);
  EXPECT_TRUE(marqueeWhileListing);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0) + (GetWindowLongA(bar, GWL_STYLE) & PBS_MARQUEE), 1000);
  EXPECT_EQ(ControlText(page, IDC_TIME_LEFT), "");
}

}  // namespace
