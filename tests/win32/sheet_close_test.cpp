// OK and Cancel of the sheet while a search runs: the run stops, winds down,
// and only then does the sheet close, with OK still counting as OK.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "actions_support.h"
#include "app/property_sheet.h"
#include "engine/file_table.h"
#include "engine/text.h"
#include "res/resource.h"
#include "temp_dir.h"
#include "test_support.h"
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
    pumpCalls = 0;
    char name[32];
    for (int i = 0; i < 120; i++) {
      snprintf(name, sizeof name, "data\\f%03d.bin", i);
      temp.Write(name, "all the same");
    }
    Type(page, IDC_PATH, temp.At("data"));
  }

  // Starts a run and sends the close during its scan.
  void CloseDuringRun(UINT message, WPARAM parameter) {
    closeMessage = message;
    closeParameter = parameter;
    Click(page, IDC_START);
  }

  // Once the run is over, the postponed close goes through.
  void ExpectClosedAfterTheRun(bool withOk) {
    EXPECT_NE(PropSheet_GetCurrentPageHwnd(sheet), nullptr);  // not yet: the press is queued
    DispatchPending();
    EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet), nullptr);
    LRESULT result = SendMessageA(sheet, PSM_GETRESULT, 0, 0);
    if (withOk) {
      EXPECT_GT(result, 0);
    } else {
      EXPECT_EQ(result, 0);
    }
  }

  void ExpectStoppedDuringTheScan() {
    EXPECT_TRUE(sheetOpenDuringRun);
    EXPECT_EQ(pathDuringRun, temp.At("data"));  // the scan's folder was left alone
    EXPECT_EQ(captionDuringRun, "&Start");
    EXPECT_EQ(fileTable.count, 50u);
    EXPECT_EQ(ListedRows().size(), 5u);
    EXPECT_FALSE(SearchOnStack());
  }

  TempDir temp;
};

TEST_F(SheetClose, OkDuringARunClosesTheSheetWithOkOnceTheRunHasWoundDown) {
  CloseDuringRun(PSM_PRESSBUTTON, PSBTN_OK);
  ExpectStoppedDuringTheScan();
  ExpectClosedAfterTheRun(true);
  EXPECT_STREQ(settings.currentPath, "e:\\typed during the run");  // read at the real OK
}

TEST_F(SheetClose, CancelDuringARunClosesTheSheetWithCancelOnceTheRunHasWoundDown) {
  CloseDuringRun(PSM_PRESSBUTTON, PSBTN_CANCEL);
  ExpectStoppedDuringTheScan();
  ExpectClosedAfterTheRun(false);
  EXPECT_STREQ(settings.currentPath, temp.At("data").c_str());
}

TEST_F(SheetClose, TheCloseBoxDuringARunActsAsCancel) {
  CloseDuringRun(WM_SYSCOMMAND, SC_CLOSE);
  ExpectStoppedDuringTheScan();
  ExpectClosedAfterTheRun(false);
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
  SetTimer(nullptr, 0, 50, StartRunFromTheLoop);
  UINT_PTR watchdog = SetTimer(nullptr, 0, 60000, GiveUp);

  int result = ShowPropertySheet();

  KillTimer(nullptr, watchdog);
  EXPECT_GT(result, 0);
  ExpectStoppedDuringTheScan();
}

}  // namespace
