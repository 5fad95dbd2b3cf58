// The questions of the actions, over a list that keeps showing what they touch.
#include <windows.h>

#include <commctrl.h>

#include "actions/protection.h"
#include "ui/action_messages.h"
#include "window_fixture.h"

namespace {

// b and c go, d lies in a protected folder: two files of 0.75 MB each.
TEST_F(PageTest, TheRecycleBinQuestionNamesCountAndSizeOfWhatItTouchesAndTheMarksStayInSight) {
  const std::string bytes(786432, 'x');
  ShowOneGroup({temp.Write("k\\a", bytes), temp.Write("x\\b", bytes), temp.Write("x\\c", bytes), temp.Write("p\\d", bytes)});
  ASSERT_EQ(ProtectFolderOf(temp.At("p\\d").c_str()), ProtectResult::Added);
  for (int row : {3, 4, 5}) SelectRow(row);
  yesNoAnswer = IDNO;
  RecycleMarkedFiles();
  protectedFolders.count = 0;
  EXPECT_EQ(shownMessages, std::vector<std::string>{"Achtung!|2 markierte Datei(en) mit 1.50 MB in den Papierkorb legen?\nWirklich sicher?|4"});
  EXPECT_EQ(FileExists(temp.At("x\\b")) + FileExists(temp.At("x\\c")) + ListView_GetSelectedCount(resultsWindow), 5);
  EXPECT_TRUE(GetWindowLongA(resultsWindow, GWL_STYLE) & LVS_SHOWSELALWAYS);  // also without the focus
}

}  // namespace
