// Search runs started with the page's Start button over real folders: rows
// and log, a refused path, cancelling, the commands refused while a run is
// on, and the sheet closed during a run.
#include "ui/search_run.h"

#include <commctrl.h>

#include "engine/hooks.h"
#include "engine/text.h"
#include "res/resource.h"
#include "ui/main_page.h"
#include "ui/pump.h"
#include "window_fixture.h"

namespace {

void (*atFirstPump)(HWND page);  // what the pump hook does at the first pump of a run
int pumpCalls;
std::string seenDuringRun;

void PostClick(HWND page, int id) { PostMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0); }

class SearchRun : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    atFirstPump = nullptr;
    engineHooks.pumpMessages = [] {
      if (pumpCalls++ == 0 && atFirstPump) atFirstPump(pageWindow);
      PumpMessages();
    };
    CopyText(logPath, MaxPath, temp.At("Parvik.LOG").c_str());
  }
  // Searches the folder "data" after putting `files` equal files into it.
  void Search(int files, const std::string& path = "") {
    for (int i = 0; i < files; i++) temp.Write("data\\f" + std::to_string(i), "all the same");
    pumpCalls = 0;
    Type(page, IDC_PATH, path.empty() ? temp.At("data") : path);
    Click(page, IDC_START);
  }
};

TEST_F(SearchRun, ListsEachGroupUnderItsLengthLargestFirstAndLogsThemWhenTheOptionIsOn) {
  const std::pair<const char*, int> files[] = {{"a", 100}, {"sub\\b", 100}, {"unique", 200}, {"d", 300}, {"sub\\e", 300}};
  for (const auto& file : files) temp.Write("data\\" + std::string(file.first), std::string(file.second, 'x'));
  Search(0);
  EXPECT_FALSE(FileExists(logPath));  // the option is off
  Click(page, IDC_LOG_FILE);
  Search(0);
  // Sorted by size: 0-1 are 100 bytes, 2 is 200 bytes, 3-4 are 300 bytes.
  std::vector<std::string> rows = {"-1 end:0 sec", "-1 ", "-1 -- L\xE4nge:300 Byte --", ListedFileRow(4), ListedFileRow(3), "-1 ",
                                   "-1 -- L\xE4nge:100 Byte --", ListedFileRow(1), ListedFileRow(0), "-1 ---", "-1 qsort:0 sec",
                                   "-1 scan:0 sec", "-1 ---"};
  EXPECT_EQ(ListedRows(), rows);
  EXPECT_EQ(ControlText(page, IDC_FILES) + ControlText(page, IDC_DUPLICATES) + ControlText(page, IDC_ELAPSED), "540 sec");
  std::string logged;
  for (const std::string& row : rows) logged += row.substr(row.find(' ') + 1) + "\r";
  EXPECT_EQ(ReadWholeFile(logPath), logged);
}

TEST_F(SearchRun, AfterARefusedPathTheLastResultsStayAndCanStillBeDeleted) {
  Search(2);
  std::vector<std::string> rows = ListedRows();
  Search(0, "c");
  EXPECT_EQ(shownMessages, std::vector<std::string>{"Fehler!|Falscher Pfad|0"});
  EXPECT_EQ(ListedRows(), rows);
  EXPECT_EQ(ControlText(page, IDC_FILES) + ControlText(page, IDC_START) + std::to_string(fileTable.count), "2&Start0");
  SelectRow(3);
  Click(page, IDC_DELETE);
  EXPECT_EQ(ListedRows().size(), rows.size() - 1);
  EXPECT_EQ(FileExists(temp.At("data\\f0")) + FileExists(temp.At("data\\f1")), 1);
}

TEST_F(SearchRun, CancelDuringTheScanStopsAtOnceListsNoGroupsAndStartsNoNestedRun) {
  atFirstPump = [](HWND page) {
    PostClick(page, IDC_START);  // cancel
    PostClick(page, IDC_START);  // would start a new run under the old one
  };
  Search(120);
  DispatchPending();
  EXPECT_EQ(pumpCalls * 1000 + fileTable.count, 1050u);  // one pump, the first 50 files
  EXPECT_EQ(ListedRows(), (std::vector<std::string>{"-1 end:0 sec", "-1 ---", "-1 qsort:0 sec", "-1 scan:0 sec", "-1 ---"}));
  EXPECT_EQ(ControlText(page, IDC_START) + std::to_string(SearchOnStack()), "&Start0");
}

TEST_F(SearchRun, NothingThatTheRunWorksOnChangesWhileItIsOn) {
  Type(page, IDC_PATH, temp.At("data"));
  Click(page, IDC_ADD);
  atFirstPump = [](HWND page) {
    Type(page, IDC_PATH, "d:\\elsewhere");
    for (int id : {IDC_ADD, IDC_CLEAR, IDC_BACKUP, IDC_DELETE}) PostClick(page, id);
    PumpMessages();
  };
  Search(60);
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_FOLDERS, LB_GETCOUNT, 0, 0), 1);
  EXPECT_TRUE(shownMessages.empty());
  EXPECT_FALSE(FileExists(ProgramFolder() + "BackUp"));
  EXPECT_EQ(ListedRows().size(), 5u + 2u + 60u);  // one group of all 60 files
  Click(page, IDC_ADD);  // once the run has ended the same commands work again
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_FOLDERS, LB_GETCOUNT, 0, 0), 2);
}

TEST_F(SearchRun, OkCancelOrTheCloseBoxDuringARunCloseTheSheetOnceTheRunHasWoundDown) {
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

}  // namespace
