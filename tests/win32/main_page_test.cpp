// The main page from its template MAIN with its real dialog procedure, inside
// the real sheet: the initial fill, the options, the folder list and the path
// read when the sheet is confirmed.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "engine/text.h"
#include "res/resource.h"
#include "window_fixture.h"

namespace {

using MainPage = PageTest;

TEST_F(MainPage, OpensTitledWithTheOptionsAndCountsOfTheProgram) {
  char title[64] = "";
  GetWindowTextA(sheet, title, sizeof title);
  EXPECT_STREQ(title, "Parvik 2.3");
  EXPECT_EQ(ControlText(page, IDC_DELETE), "L\xF6schen");  // Windows-1252 from the template
  settings.logFile = 5;
  settings.id3Tag = 1;
  ReopenSheet();
  EXPECT_EQ(IsDlgButtonChecked(page, IDC_LOG_FILE), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(page, IDC_SAME_NAME), BST_UNCHECKED);
  EXPECT_EQ(IsDlgButtonChecked(page, IDC_ID3_TAG), BST_CHECKED);
  EXPECT_EQ(ControlText(page, IDC_FILES), "0");
  EXPECT_EQ(ControlText(page, IDC_DUPLICATES), "0");
  EXPECT_EQ(ControlText(page, IDC_PATH), "c:\\");
  EXPECT_EQ(ControlText(page, IDC_FILTER), "*.*");
}

// The path box selects the lowest history entry equal to the path (only a-z
// match regardless of case); the filter box the first entry after the top
// that begins with the filter. Anything else shows as it stands.
TEST_F(MainPage, HistoryBoxesSelectTheirMatchingEntryOrShowTheValueAsItStands) {
  struct Case {
    int box;
    std::vector<std::string> history;
    const char* value;
    LRESULT selected;
    const char* shown;
  };
  const Case cases[] = {
      {IDC_PATH, {"c:\\daten", "D:\\Music", "", "d:\\MUSIC"}, "d:\\music", 1, "D:\\Music"},
      {IDC_PATH, {"c:\\\xE4rger", "c:\\daten"}, "c:\\\xC4rger", CB_ERR, "c:\\\xC4rger"},
      {IDC_FILTER, {"*.mp", "*.txt", "*.MP3", "*.mp"}, "*.mp", 2, "*.MP3"},
      {IDC_FILTER, {"*.mp3", "*.txt"}, "*.jpg", CB_ERR, "*.jpg"},
  };
  for (const Case& c : cases) {
    bool path = c.box == IDC_PATH;
    SetHistory(path ? settings.pathHistory : settings.filterHistory, c.history);
    CopyText(path ? settings.currentPath : settings.currentFilter, MaxPath, c.value);
    ReopenSheet();
    std::vector<std::string> listed;
    for (const std::string& entry : c.history)
      if (!entry.empty()) listed.push_back(entry);
    EXPECT_EQ(ComboItems(GetDlgItem(page, c.box)), listed) << c.value;
    EXPECT_EQ(SendDlgItemMessageA(page, c.box, CB_GETCURSEL, 0, 0), c.selected) << c.value;
    EXPECT_EQ(ControlText(page, c.box), c.shown) << c.value;
  }
}

TEST_F(MainPage, OptionBoxesFlipTheLowestBitOfTheirOption) {
  settings.sameName = 5;  // only an edited INI file holds such a value
  ReopenSheet();
  Click(page, IDC_SAME_NAME);
  EXPECT_EQ(settings.sameName, 4);  // still on, though the box is unmarked
  EXPECT_EQ(IsDlgButtonChecked(page, IDC_SAME_NAME), BST_UNCHECKED);
  Click(page, IDC_LOG_FILE);
  EXPECT_EQ(settings.logFile, 1);
  EXPECT_EQ(IsDlgButtonChecked(page, IDC_LOG_FILE), BST_CHECKED);
  Click(page, IDC_ID3_TAG);
  Click(page, IDC_ID3_TAG);
  EXPECT_EQ(settings.id3Tag, 0);
}

TEST_F(MainPage, AddPutsThePathIntoTheSortedFolderListOnceAndClrOrReopeningEmptiesIt) {
  HWND list = GetDlgItem(page, IDC_FOLDERS);
  EXPECT_TRUE(ListBoxItems(list).empty());
  // The same folder in other letter case is not added again; umlauts match
  // only themselves, and there is no minimum length.
  for (const char* typed : {"", "d:\\b\\", "D:\\A", "D:\\B\\", "d:\\\xE4", "d:\\\xC4", "x"}) {
    Type(page, IDC_PATH, typed);
    Click(page, IDC_ADD);
  }
  std::vector<std::string> items = ListBoxItems(list);
  EXPECT_EQ(items.size(), 5u);
  for (const char* added : {"D:\\A", "d:\\b\\", "d:\\\xE4", "d:\\\xC4", "x"})
    EXPECT_EQ(std::count(items.begin(), items.end(), added), 1) << added;
  // The list box sorts by itself.
  EXPECT_EQ(items.front(), "D:\\A");
  EXPECT_EQ(items.back(), "x");
  EXPECT_STREQ(settings.currentPath, "x");

  Click(page, IDC_CLEAR);
  EXPECT_TRUE(ListBoxItems(list).empty());
  Click(page, IDC_ADD);
  ReopenSheet();
  EXPECT_TRUE(ListBoxItems(GetDlgItem(page, IDC_FOLDERS)).empty());
}

TEST_F(MainPage, OkTakesThePathButNotTheFilterAndCancelLeavesThePath) {
  for (int button : {PSBTN_CANCEL, PSBTN_OK}) {
    ReopenSheet();
    Type(page, IDC_PATH, "e:\\typed");
    Type(page, IDC_FILTER, "*.new");
    SendMessageA(sheet, PSM_PRESSBUTTON, button, 0);
    DispatchPending();
    EXPECT_STREQ(settings.currentPath, button == PSBTN_OK ? "e:\\typed" : "c:\\");
    EXPECT_STREQ(settings.currentFilter, "*.*");
    EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet), nullptr);  // the sheet has closed
    LRESULT result = SendMessageA(sheet, PSM_GETRESULT, 0, 0);
    EXPECT_EQ(result > 0, button == PSBTN_OK);
  }
}

}  // namespace
