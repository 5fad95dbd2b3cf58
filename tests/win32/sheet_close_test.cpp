// OK and Cancel of the sheet while a search runs: the run stops, winds down,
// and only then does the sheet close, with OK still counting as OK.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/property_sheet.h"
#include "engine/text.h"
#include "res/resource.h"
#include "window_fixture.h"
#include "ui/main_page.h"
#include "ui/pump.h"
#include "ui/search_run.h"

namespace {

// The close that the test's pump hook sends at the first pump of the run.
UINT closeMessage;
WPARAM closeParameter;
bool sheetOpenDuringRun;
std::string pathDuringRun;
std::string captionDuringRun;
int pumpCalls;

void CloseAtFirstPump() {
  if (pumpCalls++ == 0) {
    HWND sheet = GetParent(pageWindow);
    SetDlgItemTextA(pageWindow, IDC_PATH, "e:\\typed during the run");
    PostMessageA(sheet, closeMessage, closeParameter, 0);
    PumpMessages();
    sheetOpenDuringRun = PropSheet_GetCurrentPageHwnd(sheet) != nullptr;
    pathDuringRun = settings.currentPath;
    captionDuringRun = ControlText(pageWindow, IDC_START);
  }
  PumpMessages();
}

class SheetClose : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    engineHooks.pumpMessages = CloseAtFirstPump;
    WriteFiles("data", 120, "all the same");
  }

  // Starts a run and sends the close during its scan.
  void CloseDuringRun(UINT message, WPARAM parameter) {
    closeMessage = message;
    closeParameter = parameter;
    pumpCalls = 0;
    Type(page, IDC_PATH, temp.At("data"));
    Click(page, IDC_START);
  }

  void ExpectStoppedDuringTheScan() {
    EXPECT_TRUE(sheetOpenDuringRun);
    EXPECT_EQ(pathDuringRun, temp.At("data"));  // the scan's folder was left alone
    EXPECT_EQ(captionDuringRun, "&Start");
    EXPECT_EQ(fileTable.count, 50u);
    EXPECT_EQ(ListedRows().size(), 5u);
    EXPECT_FALSE(SearchOnStack());
  }
};

TEST_F(SheetClose, OkCancelOrTheCloseBoxDuringARunCloseTheSheetOnceTheRunHasWoundDown) {
  struct Case {
    UINT message;
    WPARAM parameter;
    bool ok;
    std::string pathAfter;  // OK reads the path box at the real OK
  };
  const Case cases[] = {{PSM_PRESSBUTTON, PSBTN_OK, true, "e:\\typed during the run"},
                        {PSM_PRESSBUTTON, PSBTN_CANCEL, false, temp.At("data")},
                        {WM_SYSCOMMAND, SC_CLOSE, false, temp.At("data")}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pathAfter + (c.ok ? " OK" : " not OK"));
    ReopenSheet();
    CloseDuringRun(c.message, c.parameter);
    ExpectStoppedDuringTheScan();
    EXPECT_NE(PropSheet_GetCurrentPageHwnd(sheet), nullptr);  // not yet: the press is queued
    DispatchPending();
    EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet), nullptr);
    EXPECT_EQ(SendMessageA(sheet, PSM_GETRESULT, 0, 0) > 0, c.ok);
    EXPECT_EQ(settings.currentPath, c.pathAfter);
  }
}

// The modal sheet of the program itself: a timer starts the run inside the
// sheet's own message loop, and OK arrives during the scan.
void CALLBACK StartRunFromTheLoop(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  SendMessageA(pageWindow, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(pageWindow, IDC_START)));
}

void CALLBACK GiveUp(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  ADD_FAILURE() << "the modal sheet did not close by itself";
  PostMessageA(GetParent(pageWindow), PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

TEST_F(SheetClose, TheModalSheetReturnsOkAfterAnOkDuringARun) {
  DestroyWindow(sheet);  // the fixture's modeless sheet is not needed here
  DispatchPending();
  CopyText(settings.currentPath, MaxPath, temp.At("data").c_str());
  closeMessage = PSM_PRESSBUTTON;
  closeParameter = PSBTN_OK;
  pumpCalls = 0;
  SetTimer(nullptr, 0, 50, StartRunFromTheLoop);
  UINT_PTR watchdog = SetTimer(nullptr, 0, 60000, GiveUp);

  int result = ShowPropertySheet();

  KillTimer(nullptr, watchdog);
  EXPECT_GT(result, 0);
  ExpectStoppedDuringTheScan();
}

}  // namespace
