// OK and Cancel of the sheet while a search runs: the run stops, winds down,
// and only then does the sheet close, with OK still counting as OK.
#include <windows.h>

#include <commctrl.h>

#include "app/property_sheet.h"
#include "engine/text.h"
#include "res/resource.h"
#include "ui/main_page.h"
#include "ui/pump.h"
#include "ui/search_run.h"
#include "window_fixture.h"

namespace {

UINT closeMessage;  // sent by the pump hook at the first pump of the run
WPARAM closeParameter;
int pumpCalls;
std::string seenDuringRun;  // sheet open, the path the run uses, the Start caption

class SheetClose : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    engineHooks.pumpMessages = [] {
      if (pumpCalls++ == 0) {
        HWND sheet = GetParent(pageWindow);
        SetDlgItemTextA(pageWindow, IDC_PATH, "e:\\typed during the run");
        PostMessageA(sheet, closeMessage, closeParameter, 0);
        PumpMessages();
        seenDuringRun = std::to_string(PropSheet_GetCurrentPageHwnd(sheet) != nullptr) + settings.currentPath +
                        ControlText(pageWindow, IDC_START);
      }
      PumpMessages();
    };
    WriteFiles("data", 120, "all the same");
  }
  void CloseDuringRun(UINT message, WPARAM parameter) {
    closeMessage = message;
    closeParameter = parameter;
    pumpCalls = 0;
  }
  void ExpectStoppedDuringTheScan() {
    EXPECT_EQ(seenDuringRun, "1" + temp.At("data") + "&Start");  // the scan's folder was left alone
    EXPECT_EQ(fileTable.count, 50u);
    EXPECT_EQ(ListedRows().size(), 5u);
    EXPECT_FALSE(SearchOnStack());
  }
};

TEST_F(SheetClose, OkCancelOrTheCloseBoxDuringARunCloseTheSheetOnceTheRunHasWoundDown) {
  const struct {
    UINT message;
    WPARAM parameter;
    bool ok;
  } cases[] = {{PSM_PRESSBUTTON, PSBTN_OK, true}, {PSM_PRESSBUTTON, PSBTN_CANCEL, false}, {WM_SYSCOMMAND, SC_CLOSE, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.parameter);
    ReopenSheet();
    CloseDuringRun(c.message, c.parameter);
    Type(page, IDC_PATH, temp.At("data"));
    Click(page, IDC_START);
    ExpectStoppedDuringTheScan();
    EXPECT_NE(PropSheet_GetCurrentPageHwnd(sheet), nullptr);  // not yet: the press is queued
    DispatchPending();
    EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet), nullptr);
    EXPECT_EQ(SendMessageA(sheet, PSM_GETRESULT, 0, 0) > 0, c.ok);
    // OK reads the path box at the real OK.
    EXPECT_EQ(settings.currentPath, c.ok ? "e:\\typed during the run" : temp.At("data"));
  }
}

// The modal sheet of the program itself: a timer starts the run inside the
// sheet's own message loop, and OK arrives during the scan.
void CALLBACK StartRunFromTheLoop(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  SendMessageA(pageWindow, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(pageWindow, IDC_START)));
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
  CloseDuringRun(PSM_PRESSBUTTON, PSBTN_OK);
  SetTimer(nullptr, 0, 50, StartRunFromTheLoop);
  UINT_PTR watchdog = SetTimer(nullptr, 0, 60000, GiveUp);
  EXPECT_GT(ShowPropertySheet(), 0);
  KillTimer(nullptr, watchdog);
  ExpectStoppedDuringTheScan();
}

}  // namespace
