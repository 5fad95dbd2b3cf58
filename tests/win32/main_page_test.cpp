// The main page from its template MAIN with its real dialog procedure, inside
// the real sheet: the initial fill, the options, the folder list and the path
// read when the sheet is confirmed.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/text.h"
#include "res/resource.h"
#include "test_support.h"

namespace {

using MainPage = PageTest;

struct TemplateControl {
  int id;
  const char* className;
  const char* text;
  RECT units;  // x, y, width, height in dialog units
};

// Every control of MAIN in tab order, as the page shows it before filling.
const TemplateControl Controls[] = {
    {-1, "Static", "Quellpfad:", {6, 11, 36, 8}},
    {IDC_BROWSE, "Button", "?", {188, 8, 16, 14}},
    {-1, "Button", "Statistik", {11, 43, 194, 44}},
    {-1, "Static", "Dateien:", {20, 55, 32, 8}},
    {IDC_FILES, "Edit", nullptr, {52, 53, 68, 12}},
    {-1, "Static", "Doppelt:", {120, 55, 28, 8}},
    {IDC_DUPLICATES, "Edit", nullptr, {148, 53, 32, 12}},
    {IDC_START, "Button", "&Start", {11, 114, 129, 16}},
    {IDC_SPARE_TEXT, "Static", "", {8, 188, 228, 8}},
    {IDC_ELAPSED, "Static", "", {53, 71, 64, 8}},
    {-1, "Static", "Zeit:", {21, 71, 32, 8}},
    {-1, "Static", "L\xE4nge:", {120, 71, 28, 8}},
    {IDC_MEGABYTES, "Edit", "", {148, 69, 32, 12}},
    {-1, "Static", "MB", {185, 71, 12, 8}},
    {IDC_DELETE, "Button", "L\xF6schen", {11, 93, 60, 14}},
    {IDC_BACKUP, "Button", "Backup", {79, 93, 60, 14}},
    {IDC_LOG_FILE, "Button", "Logdatei", {144, 89, 60, 12}},
    {IDC_SAME_NAME, "Button", "gleiche Namen", {144, 101, 64, 12}},
    {IDC_PATH, "ComboBox", nullptr, {44, 8, 140, 0}},
    {-1, "Static", "Filter:", {14, 28, 28, 8}},
    {IDC_FILTER, "ComboBox", nullptr, {44, 25, 64, 0}},
    {IDC_FOLDERS, "ListBox", nullptr, {208, 24, 124, 0}},
    {-1, "Static", "Verzeichnisliste", {272, 11, 55, 8}},
    {IDC_ADD, "Button", "Add", {208, 8, 24, 14}},
    {IDC_CLEAR, "Button", "CLR", {238, 8, 24, 14}},
    {IDC_ID3_TAG, "Button", "no ID3 (-128Byte)", {144, 113, 64, 12}},
};

TEST_F(MainPage, ShowsEveryControlOfTheTemplateInTabOrderAndPlace) {
  HWND child = GetWindow(page, GW_CHILD);
  for (const TemplateControl& expected : Controls) {
    ASSERT_NE(child, nullptr) << "missing control " << expected.id;
    char className[64] = "";
    GetClassNameA(child, className, sizeof className);
    EXPECT_STRCASEEQ(className, expected.className) << expected.id;
    EXPECT_EQ(static_cast<int>(static_cast<int16_t>(GetDlgCtrlID(child))), expected.id);
    if (expected.text) {
      char text[64] = "";
      GetWindowTextA(child, text, sizeof text);
      EXPECT_STREQ(text, expected.text) << expected.id;
    }
    // Like the dialog manager, each of x, y, width and height is mapped alone.
    RECT origin = {expected.units.left, expected.units.top, 0, 0};
    RECT size = {expected.units.right, expected.units.bottom, 0, 0};
    MapDialogRect(page, &origin);
    MapDialogRect(page, &size);
    RECT placed;
    GetWindowRect(child, &placed);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, origin.left) << expected.id;
    EXPECT_EQ(placed.top, origin.top) << expected.id;
    EXPECT_EQ(placed.right - placed.left, size.left) << expected.id;
    // Combo and list boxes choose their own height; the others keep the template's.
    if (expected.units.bottom) {
      EXPECT_EQ(placed.bottom - placed.top, size.top) << expected.id;
    }
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr) << "more controls than the template lists";
}

TEST_F(MainPage, SheetIsTitledInWindows1252WithOkCancelAndHelpButNoApply) {
  char sheetTitle[64] = "";
  GetWindowTextA(sheet, sheetTitle, sizeof sheetTitle);
  EXPECT_STREQ(sheetTitle, "Parvik 2.3");
  char tab[64] = "";
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = tab;
  item.cchTextMax = sizeof tab;
  SendMessageA(PropSheet_GetTabControl(sheet), TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(tab, "Parvik");
  for (int button : {IDOK, IDCANCEL, IDHELP})
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(sheet, button)));
  HWND apply = GetDlgItem(sheet, 0x3021);  // the sheet's Apply button
  EXPECT_TRUE(apply == nullptr || !IsWindowVisible(apply));
  EXPECT_FALSE(GetWindowLongA(sheet, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
}

TEST_F(MainPage, OpensWithTheOptionsAndCountsOfTheProgram) {
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
  EXPECT_NE(SendDlgItemMessageA(page, IDC_BROWSE, BM_GETIMAGE, IMAGE_ICON, 0), 0);
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

TEST_F(MainPage, BrowseOpensAtThePathAndPutsTheChosenFolderIntoTheBoxUnlessCancelled) {
  std::string folder = temp.MakeFolder("chosen\\inner");
  Type(page, IDC_PATH, folder);
  AnswerDialogsWith(IDOK);
  Click(page, IDC_BROWSE);
  EXPECT_EQ(dialogsAnswered, 1);
  // Opened at the path, so OK hands back that very folder.
  EXPECT_STRCASEEQ(ControlText(page, IDC_PATH).c_str(), folder.c_str());
  EXPECT_STRCASEEQ(settings.currentPath, folder.c_str());

  Type(page, IDC_PATH, "q:\\not a folder");
  AnswerDialogsWith(IDCANCEL);
  Click(page, IDC_BROWSE);
  EXPECT_EQ(dialogsAnswered, 1);
  EXPECT_EQ(ControlText(page, IDC_PATH), "q:\\not a folder");
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
