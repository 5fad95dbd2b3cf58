// The exclusions from the page's list and from a row: in the INI file only
// while there are any, and skipped by the next search.
#include <windows.h>

#include <commctrl.h>

#include "app/module.h"
#include "engine/exclusions.h"
#include "engine/text.h"
#include "res/resource.h"
#include "ui/page_exclusions.h"
#include "ui/results_marking.h"
#include "window_fixture.h"

namespace {

TEST_F(PageTest, ExclusionsComeFromTheListAndFromARowAndLiveInTheIniOnlyWhileThereAreAny) {
  RedirectResultsMenu([](HWND, HMENU, POINT) { return IDM_EXCLUDE_FOLDER; });
  CopyText(iniPath, MaxPath, temp.At("Parvik.INI").c_str());
  const std::string ini = "[Parvik]\r\nLogFile=0\r\n";
  WriteBytes(iniPath, ini);
  for (const char* name : {"data\\skip\\a", "data\\b", "data\\sub\\c.tmp", "data\\sub\\d"}) temp.Write(name, "same");
  HWND dialog = CreateDialogParamA(moduleInstance, RES_EXCLUSIONS, page, ExclusionsDialogProc, 0);
  for (const std::string& entry : {std::string(" *.tmp"), temp.At("data\\skip\\"), std::string("*.TMP"), std::string(" ")}) {
    Type(dialog, IDC_EXCLUSION_TEXT, entry);
    Click(dialog, IDC_EXCLUSION_ADD);
  }
  EXPECT_EQ(shownMessages, std::vector<std::string>{"Fehler!|Der Eintrag ist leer oder l\xE4nger als 259 Zeichen|0"});
  EXPECT_EQ(ReadWholeFile(iniPath), ini + "[Ausschluss]\r\nEintrag0=*.tmp\r\nEintrag1=" + temp.At("data\\skip") + "\r\n");
  Search(0);
  EXPECT_EQ(ListedRows()[0], "-1 Ausgeschlossen: 1 Datei(en) und 1 Ordner");  // then one group: b and sub\d
  ListView_SetItemState(resultsWindow, 4, LVIS_FOCUSED, LVIS_FOCUSED);
  SendMessageA(resultsWindow, WM_CONTEXTMENU, 0, MAKELPARAM(-1, -1));  // "Ordner ausschließen": data or data\sub
  Search(0);
  EXPECT_EQ(ListedRows()[0].substr(0, 35), "-1 Ausgeschlossen: 0 Datei(en) und ");
  for (int k = 0; k < 3; k++) {
    SendDlgItemMessageA(dialog, IDC_EXCLUSION_LIST, LB_SETCURSEL, 0, 0);
    Click(dialog, IDC_EXCLUSION_REMOVE);
  }
  EXPECT_EQ(ReadWholeFile(iniPath), ini);
  DestroyWindow(dialog);
}

}  // namespace
