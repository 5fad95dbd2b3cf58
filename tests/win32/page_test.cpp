// The page from its template with its real dialog procedure inside the real
// sheet, the INI file that fills it, its help, and marking in the results window.
#include <windows.h>

#include <commctrl.h>

#include "app/settings_file.h"
#include "engine/text.h"
#include "res/resource.h"
#include "ui/main_page.h"
#include "ui/results_marking.h"
#include "window_fixture.h"

namespace {

TEST_F(PageTest, OpensTitledWithGermanTextsAndAsksForTheHelpFileBesideTheProgram) {
  char title[64] = "";
  GetWindowTextA(sheet, title, sizeof title);
  EXPECT_EQ(title + ControlText(page, IDC_DELETE), "Parvik 2.3L\xF6schen");  // Windows-1252 from the template
  static std::string helpAskedFor;
  showHelpFile = [](HWND, const char* path) { helpAskedFor = path; };
  SetCurrentDirectoryA(temp.path.c_str());  // the help is found from any working folder
  NMHDR header = {sheet, 0, static_cast<UINT>(PSN_HELP)};
  SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
  SetCurrentDirectoryA(ProgramFolder().c_str());
  EXPECT_EQ(helpAskedFor, ProgramFolder() + "parvik.chm");
}

TEST(SettingsFile, LoadsDefaultsOrTheFileCuttingOverlongTextsAndSavesAllButMinSize) {
  TempFolder temp;
  CopyText(iniPath, sizeof iniPath, temp.At("Parvik.INI").c_str());
  memset(&settings, 0x5A, sizeof settings);  // anything not loaded shows up
  LoadSettings();
  EXPECT_EQ(settings.logFile + settings.sameName + settings.id3Tag + settings.minSize + settings.pathHistory[9][0], 0u);
  EXPECT_EQ(std::string(settings.currentPath) + settings.currentFilter + settings.filterHistory[9], "c:\\*.*");
  std::string longText(400, 'p');
  temp.Write("Parvik.INI", "[Parvik]\r\nMinSize=1000\r\nLogFile=abc\r\nSameName=5\r\nPfad=\r\nFilter=" + longText +
                               "\r\n[Pfade]\r\nPfad0=" + longText + "\r\nPfad9=E:\\Letzter\r\n[Filter]\r\nFilter3=*.mp3\r\n");
  LoadSettings();
  EXPECT_EQ(settings.minSize * 10 + settings.logFile + settings.sameName, 10005u);  // garbage numbers read as 0
  EXPECT_EQ(settings.currentPath + std::to_string(strlen(settings.currentFilter) + strlen(settings.pathHistory[0])), "518");
  settings.minSize = 7;  // only the file sets it; a save never writes it
  SaveSettings();
  std::string ini = ReadWholeFile(iniPath);
  for (const char* key : {"[Parvik]", "LogFile=0", "SameName=5", "ID3Tag=0", "Pfad=\r", "MinSize=1000",
                          "[Pfade]", "Pfad1=\r", "Pfad9=E:\\Letzter", "[Filter]", "Filter0=\r", "Filter3=*.mp3"})
    EXPECT_NE(ini.find(key), std::string::npos) << key;
}

std::string menuShown;
int choice;

void PressKey(UINT message, WPARAM key, BYTE modifier) {
  BYTE keys[256] = {};
  keys[modifier] = 0x80;
  SetKeyboardState(keys);
  SendMessageA(resultsWindow, message, key, 0);
  keys[modifier] = 0;
  SetKeyboardState(keys);
}

TEST_F(PageTest, EveryWayToTheMarkingMenuOffersBothChoicesEachActsAndCtrlAMarksAll) {
  RedirectResultsMenu([](HWND, HMENU menu, POINT) {
    char text[2][64] = {};
    for (int k = 0; k < 2; k++) GetMenuStringA(menu, IDM_MARK_DUPLICATES + k, text[k], 64, MF_BYCOMMAND);
    menuShown += std::string(text[0]) + "|" + text[1];
    return choice;
  });
  // As a search leaves them: each group's first file at its bottom.
  ShowRows({{TextRow, "end:0 sec"}, {TextRow, "-- L\xE4nge:9 Byte --"}, {5, "e"}, {4, "d"}, {3, "c"},
            {TextRow, "-- L\xE4nge:4 Byte --"}, {2, "b"}, {1, "a"}, {TextRow, "---"}});
  RECT row = {LVIR_BOUNDS, 0, 0, 0};
  SendMessageA(resultsWindow, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row));
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
      menuShown.clear();
      if (way == 0) {  // a right click (the list asks for its menu on release); F10 alone: none
        PostMessageA(resultsWindow, WM_RBUTTONUP, 0, MAKELPARAM(row.left + 5, row.top + 2));
        SendMessageA(resultsWindow, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(row.left + 5, row.top + 2));
        DispatchPending();
        PressKey(WM_KEYDOWN, VK_F10, 0);
      }
      if (way == 1) PressKey(WM_KEYDOWN, VK_APPS, 0), PressKey(WM_KEYUP, VK_APPS, 0);
      if (way == 2) PressKey(WM_SYSKEYDOWN, VK_F10, VK_SHIFT), PressKey(WM_SYSKEYUP, VK_F10, VK_SHIFT);
      EXPECT_EQ(menuShown, "Alle Duplikate markieren|Markierung aufheben") << way;
      EXPECT_EQ(selected(), chosen == IDM_MARK_DUPLICATES ? "542" : chosen ? "" : "-5432") << way;
    }
  }
  PressKey(WM_KEYDOWN, 'A', 0);
  EXPECT_EQ(selected(), "");
  PressKey(WM_KEYDOWN, 'A', VK_CONTROL);
  EXPECT_EQ(selected().size(), 9u);
  RedirectResultsMenu(nullptr);
}

}  // namespace
