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
#include "window_fixture.h"

namespace {

TEST_F(PageTest, ListsEachGroupUnderItsLengthLargestFirstAndLogsThemWhenTheOptionIsOn) {
  const std::pair<std::string, int> files[] = {{"a", 100}, {"sub\\b", 100}, {"unique", 200}, {"d", 300},
                                               {std::string(180, 'n') + "\\e", 300}, {"f", 20000}, {"g", 20000}};
  for (const auto& [name, size] : files) temp.Write("data\\" + name, std::string(size, 'x'));
  Click(page, IDC_LOG_FILE);
  Search(0);
  Texts rows = {"-1 end:0 sec", "-1 ", "-1 -- L\xE4nge:20000 Byte --", ListedFileRow(6), ListedFileRow(5),
                "-1 ", "-1 -- L\xE4nge:300 Byte --", ListedFileRow(4), ListedFileRow(3), "-1 ",
                "-1 -- L\xE4nge:100 Byte --", ListedFileRow(1), ListedFileRow(0), "-1 ---", "-1 qsort:0 sec",
                "-1 scan:0 sec", "-1 ---"};
  EXPECT_EQ(ListedRows(), rows);
  EXPECT_EQ(ControlText(page, IDC_FILES) + ControlText(page, IDC_DUPLICATES) + ControlText(page, IDC_ELAPSED) + " " +
            ControlText(page, IDC_MEGABYTES), "760 sec 0.02");
  std::string logged;
  for (const std::string& row : rows) logged += row.substr(row.find(' ') + 1, 259) + "\r";
  EXPECT_EQ(ReadWholeFile(logPath), logged);
  HANDLE held = CreateFileA(logPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  Search(0);
  CloseHandle(held);
  EXPECT_EQ(shownMessages, Texts{"Fehler!|Kann Logdatei nicht schreiben|0"});
  EXPECT_EQ(ReadWholeFile(logPath), logged);
}

TEST_F(PageTest, AfterARefusedPathTheLastResultsStayAndCanStillBeDeleted) {
  Search(2);
  Texts rows = ListedRows();
  Search(0, "c");
  EXPECT_EQ(shownMessages, Texts{"Fehler!|Falscher Pfad|0"});
  EXPECT_EQ(ListedRows(), rows);
  SelectRow(3);
  Click(page, IDC_DELETE);
  EXPECT_EQ(ListedRows().size(), rows.size() - 1);
  EXPECT_EQ(FileExists(temp.At("data\\f0")) + FileExists(temp.At("data\\f1")), 1);
}

TEST_F(PageTest, CommandsDuringARunAreRefusedAndStartCancelsItAtOnceWithoutANestedRun) {
  Search(0);
  Click(page, IDC_ADD);
  atFirstPump = [](HWND page) {
    Type(page, IDC_PATH, "d:\\elsewhere");
    for (int id : {IDC_ADD, IDC_CLEAR, IDC_BACKUP, IDC_DELETE, IDC_START, IDC_START})
      PostMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0);
    PumpMessages();
  };
  Search(120);
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_FOLDERS, LB_GETCOUNT, 0, 0), 1);
  EXPECT_TRUE(shownMessages.empty());
  EXPECT_FALSE(FileExists(ProgramFolder() + "BackUp"));
  EXPECT_EQ(pumpCalls * 1000 + fileTable.count, 1050u);
  EXPECT_EQ(ListedRows()[0], "-1 Abgebrochen, die Liste ist unvollst\xE4ndig");
  EXPECT_EQ(ControlText(page, IDC_START) + std::to_string(SearchOnStack()), "&Start0");
  Click(page, IDC_ADD);
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_FOLDERS, LB_GETCOUNT, 0, 0), 2);
}

TEST_F(PageTest, OkCancelOrTheCloseBoxDuringARunCloseTheSheetOnceTheRunHasWoundDown) {
  for (int closing : {PSBTN_OK, PSBTN_CANCEL, SC_CLOSE}) {
    ReopenSheet();
    static int closeBy;
    closeBy = closing;
    atFirstPump = [](HWND page) {
      Type(page, IDC_PATH, "e:\\typed");
      PostMessageA(GetParent(page), closeBy == SC_CLOSE ? WM_SYSCOMMAND : PSM_PRESSBUTTON, closeBy, 0);
      PumpMessages();
    };
    Search(closing == PSBTN_OK ? 120 : 0);
    EXPECT_EQ(fileTable.count, 50u);
    EXPECT_NE(PropSheet_GetCurrentPageHwnd(sheet), nullptr);
    DispatchPending();
    EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet), nullptr);
    EXPECT_EQ(SendMessageA(sheet, PSM_GETRESULT, 0, 0) > 0, closing == PSBTN_OK);
    EXPECT_EQ(settings.currentPath, closing == PSBTN_OK ? "e:\\typed" : temp.At("data")) << closing;
  }
}

int menus, choice;

int CountMenus(HWND, HMENU, POINT) {
  menus++;
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

void MenuAt(int row, int chosen) {
  ListView_SetItemState(resultsWindow, row, LVIS_FOCUSED, LVIS_FOCUSED);
  choice = chosen;
  PressKey(WM_KEYDOWN, VK_APPS, 0);
}

TEST_F(PageTest, EveryWayToTheMarkingMenuOffersBothChoicesEachActsAndCtrlAMarksAll) {
  RedirectResultsMenu(CountMenus);
  ShowRows({{TextRow, "end:0 sec"}, {TextRow, "-- L\xE4nge:9 Byte --"}, {5, "e"}, {4, "d"}, {3, "c"},
            {TextRow, "-- L\xE4nge:4 Byte --"}, {2, "b"}, {1, "a"}, {TextRow, "---"}});
  auto selected = [] {
    std::string first;
    for (int r = -1; (r = ListView_GetNextItem(resultsWindow, r, LVNI_SELECTED)) >= 0;) first += ListedRows()[r][0];
    return first;
  };
  for (int chosen : {IDM_MARK_DUPLICATES, 0, IDM_CLEAR_MARKS}) {
    SelectRow(0);
    SelectRow(4);
    choice = chosen;
    menus = 0;
    PostMessageA(resultsWindow, WM_RBUTTONUP, 0, RowPoint(2));
    SendMessageA(resultsWindow, WM_RBUTTONDOWN, MK_RBUTTON, RowPoint(2));
    DispatchPending();
    PressKey(WM_KEYDOWN, VK_F10, 0);
    PressKey(WM_SYSKEYDOWN, VK_F10, VK_SHIFT);
    PressKey(WM_KEYUP, VK_APPS, 0);
    EXPECT_EQ(menus, 2);
    EXPECT_EQ(selected(), chosen == IDM_MARK_DUPLICATES ? "542" : chosen ? "" : "-5432");
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
  RedirectResultsMenu(CountMenus);
  CopyText(iniPath, MaxPath, temp.At("Parvik.INI").c_str());
  const std::string ini = "[Parvik]\r\nLogFile=0\r\n";
  WriteBytes(iniPath, ini);
  std::string keep = temp.Write("data\\keep\\a", "same"), work = temp.Write("data\\work\\b", "same");
  Search(0);
  MenuAt(RowOf(keep), IDM_PROTECT_FOLDER);
  EXPECT_EQ(ReadWholeFile(iniPath), ini + "[Schutz]\r\nOrdner0=" + temp.At("data\\keep\\") + "\r\n");
  WriteBytes(iniPath, ini + "[Schutz]\r\nOrdner1=" + temp.At("data\\keep\\") + "\r\n");
  protectedFolders.count = 0;
  LoadProtectedFolders();
  EXPECT_TRUE(IsProtectedPath(keep.c_str()) && !IsProtectedPath(work.c_str()));
  Search(0);
  EXPECT_NE(ListedRows()[RowOf(keep)].find(" [gesch\xFCtzt] file:"), std::string::npos);
  PressKey(WM_KEYDOWN, 'A', VK_CONTROL);
  EXPECT_EQ(ListView_GetItemState(resultsWindow, RowOf(keep), LVIS_SELECTED), 0u);
  SelectRow(RowOf(keep));
  Click(page, IDC_DELETE);
  EXPECT_EQ(shownMessages.back(), "Achtung!|1 markierte Datei(en) in gesch\xFCtzten Ordnern bleiben unber\xFChrt|0");
  ASSERT_TRUE(FileExists(keep) && !FileExists(work));
  yesNoAnswer = IDNO;
  MenuAt(RowOf(keep), IDM_LIFT_PROTECTION);
  EXPECT_TRUE(IsProtectedPath(keep.c_str()));
  yesNoAnswer = IDYES;
  MenuAt(RowOf(keep), IDM_LIFT_PROTECTION);
  EXPECT_EQ(shownMessages.back(), "Achtung!|Schutz f\xFCr 1 Ordner aufheben?|4");
  EXPECT_EQ(ReadWholeFile(iniPath), ini);
  EXPECT_EQ(ListedRows()[RowOf(keep)].find("[gesch"), std::string::npos);
  CopyText(iniPath, MaxPath, temp.path.c_str());
  MenuAt(RowOf(keep), IDM_PROTECT_FOLDER);
  EXPECT_EQ(shownMessages.back(), "Fehler!|Kann die gesch\xFCtzten Ordner nicht in der Einstellungsdatei speichern|0");
}

}
