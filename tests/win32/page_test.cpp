// The real page in the real sheet: texts and help, search runs over real folders,
// commands during a run, the marking menu and protected folders.
#include <windows.h>

#include <commctrl.h>

#include "actions/protection.h"
#include "app/settings_file.h"
#include "engine/text.h"
#include "res/resource.h"
#include "ui/main_page.h"
#include "ui/pump.h"
#include "ui/results_marking.h"
#include "ui/search_run.h"
#include "ui/shell_files.h"
#include "window_fixture.h"

namespace {

std::string seenDuringRun;

// The log takes each row cut to 259 bytes (the long name's row is longer) and ended by a lone CR.
TEST_F(PageTest, ListsEachGroupUnderItsLengthLargestFirstAndLogsThemWhenTheOptionIsOn) {
  const std::pair<std::string, int> files[] = {{"a", 100}, {"sub\\b", 100}, {"unique", 200}, {"d", 300},
                                               {std::string(180, 'n') + "\\e", 300}, {"f", 20000}, {"g", 20000}};
  for (const auto& [name, size] : files) temp.Write("data\\" + name, std::string(size, 'x'));
  Click(page, IDC_LOG_FILE);
  Search(0);
  // Sorted by size: 0-1 are 100 bytes, 2 is 200 bytes, 3-4 are 300 bytes, 5-6 20000 bytes.
  Texts rows = {"-1 end:0 sec", "-1 ", "-1 -- L\xE4nge:20000 Byte --", ListedFileRow(6), ListedFileRow(5),
                "-1 ", "-1 -- L\xE4nge:300 Byte --", ListedFileRow(4), ListedFileRow(3), "-1 ",
                "-1 -- L\xE4nge:100 Byte --", ListedFileRow(1), ListedFileRow(0), "-1 ---", "-1 qsort:0 sec",
                "-1 scan:0 sec", "-1 ---"};
  EXPECT_EQ(ListedRows(), rows);
  EXPECT_EQ(ControlText(page, IDC_FILES) + ControlText(page, IDC_DUPLICATES) + ControlText(page, IDC_ELAPSED) + " " +
            ControlText(page, IDC_MEGABYTES), "760 sec 0.02");  // the megabytes of the run, not of the last refresh
  std::string logged;
  for (const std::string& row : rows) logged += row.substr(row.find(' ') + 1, 259) + "\r";
  EXPECT_EQ(ReadWholeFile(logPath), logged);
  HANDLE held = CreateFileA(logPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);  // unshared
  Search(0);
  CloseHandle(held);
  EXPECT_EQ(shownMessages, Texts{"Fehler!|Kann Logdatei nicht schreiben|0"});
  EXPECT_EQ(ReadWholeFile(logPath), logged);  // a log that cannot be written keeps what it held
}

TEST_F(PageTest, AfterARefusedPathTheLastResultsStayAndCanStillBeDeleted) {
  Search(2);
  Texts rows = ListedRows();
  Search(0, "c");
  EXPECT_EQ(shownMessages, Texts{"Fehler!|Falscher Pfad|0"});
  EXPECT_EQ(ListedRows(), rows);
  EXPECT_EQ(ControlText(page, IDC_FILES) + ControlText(page, IDC_START) + std::to_string(fileTable.count), "2&Start0");
  SelectRow(3);
  Click(page, IDC_DELETE);
  EXPECT_EQ(ListedRows().size(), rows.size() - 1);
  EXPECT_EQ(FileExists(temp.At("data\\f0")) + FileExists(temp.At("data\\f1")), 1);
}

TEST_F(PageTest, CommandsDuringARunAreRefusedAndStartCancelsItAtOnceWithoutANestedRun) {
  Search(0);  // puts the path into the box
  Click(page, IDC_ADD);
  atFirstPump = [](HWND page) {
    Type(page, IDC_PATH, "d:\\elsewhere");
    for (int id : {IDC_ADD, IDC_CLEAR, IDC_BACKUP, IDC_DELETE, IDC_START, IDC_START})  // then cancel, and a start under it
      PostMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0);
    PumpMessages();
  };
  Search(120);
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_FOLDERS, LB_GETCOUNT, 0, 0), 1);
  EXPECT_TRUE(shownMessages.empty());
  EXPECT_FALSE(FileExists(ProgramFolder() + "BackUp"));
  EXPECT_EQ(pumpCalls * 1000 + fileTable.count, 1050u);  // one pump, the first 50 files
  EXPECT_EQ(ListedRows(), (Texts{"-1 Abgebrochen, die Liste ist unvollst\xE4ndig", "-1 end:0 sec", "-1 ---", "-1 qsort:0 sec",
                                 "-1 scan:0 sec", "-1 ---"}));  // not a finished run without duplicates
  EXPECT_EQ(ControlText(page, IDC_START) + std::to_string(SearchOnStack()), "&Start0");
  Click(page, IDC_ADD);  // once the run has ended the same commands work again
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_FOLDERS, LB_GETCOUNT, 0, 0), 2);
}

TEST_F(PageTest, OkCancelOrTheCloseBoxDuringARunCloseTheSheetOnceTheRunHasWoundDown) {
  for (int closing : {PSBTN_OK, PSBTN_CANCEL, SC_CLOSE}) {
    ReopenSheet();
    static int closeBy;
    closeBy = closing;
    atFirstPump = [](HWND page) {
      Type(page, IDC_PATH, "e:\\typed during the run");
      PostMessageA(GetParent(page), closeBy == SC_CLOSE ? WM_SYSCOMMAND : PSM_PRESSBUTTON, closeBy, 0);
      PumpMessages();
      seenDuringRun = std::to_string(PropSheet_GetCurrentPageHwnd(GetParent(page)) != nullptr) + settings.currentPath + ControlText(page, IDC_START);
    };
    Search(closing == PSBTN_OK ? 120 : 0);
    EXPECT_EQ(seenDuringRun + std::to_string(fileTable.count), "1" + temp.At("data") + "&Start50");  // scanning its folder, stopped
    EXPECT_NE(PropSheet_GetCurrentPageHwnd(sheet), nullptr);  // not yet: the press is queued
    DispatchPending();
    EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet), nullptr);
    EXPECT_EQ(SendMessageA(sheet, PSM_GETRESULT, 0, 0) > 0, closing == PSBTN_OK);
    EXPECT_EQ(settings.currentPath, closing == PSBTN_OK ? "e:\\typed during the run" : temp.At("data")) << closing;
  }
}

TEST_F(PageTest, OpensTitledWithGermanTextsAndAsksForTheHelpFileBesideTheProgram) {
  EXPECT_EQ(ControlText(page, IDC_DELETE), "L\xF6schen");  // Windows-1252 from the template
  static std::string helpAskedFor;
  showHelpFile = [](HWND, const char* path) { helpAskedFor = path; };
  SetCurrentDirectoryA(temp.path.c_str());  // the help is found from any working folder
  NMHDR header = {sheet, 0, static_cast<UINT>(PSN_HELP)};
  SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
  SetCurrentDirectoryA(ProgramFolder().c_str());
  EXPECT_EQ(helpAskedFor, ProgramFolder() + "parvik.chm");
}

// Rows go in without a repaint each: afterwards the scroll bar reaches the last row, and a row
// added later scrolls in as usual.
using ResultsFill = PageTest;
TEST_F(ResultsFill, AfterTheRowsGoInTheScrollBarReachesTheLastRow) {
  for (int k = 0; k < 40; k++)
    for (const char* copy : {"data\\a", "data\\b"}) temp.Write(copy + std::to_string(k), std::string(100 + k, 'a' + k % 26));
  Search(0);
  const int rows = ListView_GetItemCount(resultsWindow);
  SCROLLINFO bar = {sizeof bar, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
  for (int added : {0, 1}) {
    if (added) AddResultRow(resultsWindow, TextRow, "later");
    ASSERT_TRUE(GetScrollInfo(resultsWindow, SB_VERT, &bar));
    EXPECT_EQ(bar.nMax + 1, rows + added);
  }
  EXPECT_EQ(rows, 5 + 4 * 40);
  EXPECT_GT(bar.nPage, 0u);
}

std::string menuShown;  // the last menu as "text|text|...", grey entries after "~", separators empty
int menus, choice;      // menus shown; the answer to the next

int ShowMenuTexts(HWND, HMENU menu, POINT) {
  menuShown.clear();
  menus++;
  for (int k = 0; k < GetMenuItemCount(menu); k++) {
    char text[64] = "";
    GetMenuStringA(menu, k, text, sizeof text, MF_BYPOSITION);
    menuShown += std::string(k ? "|" : "") + (*text && GetMenuState(menu, k, MF_BYPOSITION) & MF_GRAYED ? "~" : "") + text;
  }
  return choice;
}

void PressKey(UINT message, WPARAM key, BYTE modifier) {
  BYTE keys[256] = {};
  keys[modifier] = 0x80;
  SetKeyboardState(keys);
  SendMessageA(resultsWindow, message, key, 0);
  keys[modifier] = 0;
  SetKeyboardState(keys);
}

void MenuAt(int row, int chosen) {  // from the keyboard, at the focused row
  ListView_SetItemState(resultsWindow, row, LVIS_FOCUSED, LVIS_FOCUSED);
  choice = chosen;
  PressKey(WM_KEYDOWN, VK_APPS, 0);
}

TEST_F(PageTest, EveryWayToTheMarkingMenuOffersBothChoicesEachActsAndCtrlAMarksAll) {
  RedirectResultsMenu(ShowMenuTexts);
  // As a search leaves them: each group's first file at its bottom.
  ShowRows({{TextRow, "end:0 sec"}, {TextRow, "-- L\xE4nge:9 Byte --"}, {5, "e"}, {4, "d"}, {3, "c"},
            {TextRow, "-- L\xE4nge:4 Byte --"}, {2, "b"}, {1, "a"}, {TextRow, "---"}});
  auto selected = [] {  // the first character of each selected row's item data, top first
    std::string first;
    for (int r = -1; (r = ListView_GetNextItem(resultsWindow, r, LVNI_SELECTED)) >= 0;) first += ListedRows()[r][0];
    return first;
  };
  for (int way = 0; way < 3; way++) {
    for (int chosen : {IDM_MARK_DUPLICATES, 0, IDM_CLEAR_MARKS}) {
      SelectRow(0);  // marks that are no duplicates go with the first choice; no choice keeps all
      SelectRow(4);
      choice = chosen;
      menus = 0;
      if (way == 0) {  // a right click (the list asks for its menu on release); F10 alone: none
        PostMessageA(resultsWindow, WM_RBUTTONUP, 0, RowPoint(2));
        SendMessageA(resultsWindow, WM_RBUTTONDOWN, MK_RBUTTON, RowPoint(2));
        DispatchPending();
        PressKey(WM_KEYDOWN, VK_F10, 0);
      }
      if (way == 1) PressKey(WM_KEYDOWN, VK_APPS, 0), PressKey(WM_KEYUP, VK_APPS, 0);
      if (way == 2) PressKey(WM_SYSKEYDOWN, VK_F10, VK_SHIFT), PressKey(WM_SYSKEYUP, VK_F10, VK_SHIFT);
      EXPECT_EQ(menus, 1) << way;
      EXPECT_EQ(selected(), chosen == IDM_MARK_DUPLICATES ? "542" : chosen ? "" : "-5432") << way;
    }
  }
  PressKey(WM_KEYDOWN, 'A', 0);
  EXPECT_EQ(selected(), "");
  PressKey(WM_KEYDOWN, 'A', VK_CONTROL);
  EXPECT_EQ(selected().size(), 9u);
}

int RowOf(const std::string& path) {
  Texts rows = ListedRows();
  for (size_t r = 0; r < rows.size(); r++)
    if (rows[r].find(path + "    create:") != std::string::npos) return static_cast<int>(r);
  return -1;
}

TEST_F(PageTest, AProtectedFolderStaysInTheIniShowsInItsRowsAndSurvivesCtrlAAndLoeschenUntilLifted) {
  RedirectResultsMenu(ShowMenuTexts);
  CopyText(iniPath, MaxPath, temp.At("Parvik.INI").c_str());
  const std::string ini = "[Parvik]\r\nLogFile=0\r\n";
  WriteBytes(iniPath, ini);
  std::string keep = temp.Write("data\\keep\\a", "same"), work = temp.Write("data\\work\\b", "same");
  Search(0);
  MenuAt(RowOf(keep), IDM_PROTECT_FOLDER);
  EXPECT_EQ(menuShown, "Alle Duplikate markieren|Alle au\xDF" "er dem neuesten markieren|Alle au\xDF" "er dem \xE4ltesten markieren|"
                       "Alle in diesem Ordner markieren|Markierung umkehren|Markierung aufheben||Markierte in den &Papierkorb legen\tEntf||"
                       "\xD6" "ffnen|Im Ordner zeigen||Ordner sch\xFCtzen|~Schutz aller Ordner aufheben");
  EXPECT_EQ(ReadWholeFile(iniPath), ini + "[Schutz]\r\nOrdner0=" + temp.At("data\\keep\\") + "\r\n");
  WriteBytes(iniPath, ini + "[Schutz]\r\nOrdner1=" + temp.At("data\\keep\\") + "\r\n");  // a gap left by hand ends nothing
  protectedFolders.count = 0;
  LoadProtectedFolders();
  EXPECT_TRUE(IsProtectedPath(keep.c_str()) && !IsProtectedPath(work.c_str()));
  Search(0);  // a new search lists it marked as well
  EXPECT_EQ(ListedRows()[RowOf(keep)].substr(0, 19), std::to_string(fileTable.entries[0].path == keep ? 0 : 1) + " [gesch\xFCtzt] file:");
  PressKey(WM_KEYDOWN, 'A', VK_CONTROL);
  EXPECT_EQ(ListView_GetItemState(resultsWindow, RowOf(keep), LVIS_SELECTED), 0u);
  SelectRow(RowOf(keep));  // by hand
  Click(page, IDC_DELETE);
  EXPECT_EQ(shownMessages.back(), "Achtung!|1 markierte Datei(en) in gesch\xFCtzten Ordnern bleiben unber\xFChrt|0");
  ASSERT_TRUE(FileExists(keep) && !FileExists(work));
  yesNoAnswer = IDNO;  // No keeps the protection; then Yes lifts it
  MenuAt(RowOf(keep), IDM_LIFT_PROTECTION);
  EXPECT_TRUE(IsProtectedPath(keep.c_str()));
  yesNoAnswer = IDYES;
  MenuAt(RowOf(keep), IDM_LIFT_PROTECTION);
  EXPECT_EQ(menuShown.substr(menuShown.rfind("||") + 2), "~Ordner sch\xFCtzen|Schutz aller Ordner aufheben");
  EXPECT_EQ(shownMessages.back(), "Achtung!|Schutz f\xFCr 1 Ordner aufheben?|4");
  EXPECT_EQ(ReadWholeFile(iniPath), ini);
  EXPECT_EQ(ListedRows()[RowOf(keep)].find("[gesch"), std::string::npos);
  CopyText(iniPath, MaxPath, temp.path.c_str());  // a folder: the INI cannot be written
  MenuAt(RowOf(keep), IDM_PROTECT_FOLDER);
  EXPECT_EQ(shownMessages.back(), "Fehler!|Kann die gesch\xFCtzten Ordner nicht in der Einstellungsdatei speichern|0");
}

TEST_F(PageTest, EnterOrADoubleClickOpensTheFileOfARowAndTheMenuShowsItInExplorer) {
  static std::string started;
  static bool shellWorks;
  RedirectShellStarts([](const char* file, const char* parameters) {
    started += std::string(file) + "|" + (parameters ? parameters : "") + "\n";
    return shellWorks;
  });
  RedirectResultsMenu(ShowMenuTexts);
  std::string path = temp.Write("a b.txt", "x");
  ShowOneGroup({path});
  for (bool works : {true, false}) {  // then with a shell that fails
    shellWorks = works;
    for (int focused : {1, 2}) {
      ListView_SetItemState(resultsWindow, focused, LVIS_FOCUSED, LVIS_FOCUSED);
      PressKey(WM_KEYDOWN, VK_RETURN, 0);
    }
    SendMessageA(resultsWindow, WM_LBUTTONDBLCLK, 0, RowPoint(2));
    MenuAt(2, IDM_SHOW_IN_FOLDER);
    MenuAt(1, IDM_OPEN_FILE);  // a text row: grey, and nothing happens
  }
  std::string once = path + "|\n" + path + "|\nexplorer.exe|/select,\"" + path + "\"\n";
  EXPECT_EQ(started, once + once);
  EXPECT_EQ(menuShown.substr(menuShown.find("Entf||") + 6), "~\xD6" "ffnen|~Im Ordner zeigen||~Ordner sch\xFCtzen|~Schutz aller Ordner aufheben");
  const std::string failed = "Fehler!|Kann Datei nicht \xF6" "ffnen|0";
  EXPECT_EQ(shownMessages, (Texts{failed, failed, "Fehler!|Kann Explorer nicht starten|0"}));
}

}  // namespace
