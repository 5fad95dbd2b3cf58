// The results window after a search whose rows went in without a repaint each:
// it is live again, its scroll bar reaches every row.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "res/resource.h"
#include "window_fixture.h"

namespace {

class ResultsFill : public PageTest {};

TEST_F(ResultsFill, AfterTheRowsGoInTheScrollBarReachesTheLastRow) {
  constexpr int Groups = 40;
  for (int k = 0; k < Groups; k++) {
    std::string bytes(100 + k, static_cast<char>('a' + k % 26));
    temp.Write("data\\a" + std::to_string(k) + ".bin", bytes);
    temp.Write("data\\b" + std::to_string(k) + ".bin", bytes);
  }
  Type(page, IDC_PATH, temp.At("data"));
  Click(page, IDC_START);

  int rows = static_cast<int>(SendMessageA(resultsWindow, LVM_GETITEMCOUNT, 0, 0));
  ASSERT_EQ(rows, 5 + 4 * Groups);
  SCROLLINFO bar = {};
  bar.cbSize = sizeof bar;
  bar.fMask = SIF_RANGE | SIF_PAGE;
  ASSERT_TRUE(GetScrollInfo(resultsWindow, SB_VERT, &bar));
  EXPECT_EQ(bar.nMax + 1, rows);
  EXPECT_GT(bar.nPage, 0u);
  // A row added now scrolls in as usual: the window takes redraws again.
  AddResultRow(resultsWindow, TextRow, "later");
  ASSERT_TRUE(GetScrollInfo(resultsWindow, SB_VERT, &bar));
  EXPECT_EQ(bar.nMax + 1, rows + 1);
}

}  // namespace
