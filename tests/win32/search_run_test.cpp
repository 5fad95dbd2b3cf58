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
UINT closeMessage;
WPARAM closeParameter;
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
  void Search(const std::string& path, int files = 0) {
    for (int i = 0; i < files; i++) temp.Write(path.substr(temp.path.size() + 1) + "\\f" + std::to_string(i), "all the same");
    pumpCalls = 0;
    Type(page, IDC_PATH, path);
    Click(page, IDC_START);
  }
};

TEST_F(SearchRun, ListsEachGroupUnderItsLengthLargestFirstAndLogsThemWhenTheOptionIsOn) {
  for (const char* name : {"a", "b", "sub\\c"}) temp.Write("data\\" + std::string(name), std::string(100, 'A'));
  temp.Write("data\\unique", std::string(200, 'U'));
  temp.Write("data\\d", std::string(300, 'D'));
  temp.Write("data\\sub\\e", std::string(300, 'D'));
  temp.Write("data\\other", std::string(300, 'X'));
  Search(temp.At("data"));
  EXPECT_FALSE(FileExists(logPath));  // the option is off
  Click(page, IDC_LOG_FILE);
  Search(temp.At("data"));
  // Sorted by size: 0-2 are 100 bytes, 3 is 200 bytes, 4-6 are 300 bytes.
  std::vector<int32_t> big;
  for (int32_t i = 4; i < 7; i++)
    if (!strstr(fileTable.entries[i].path, "other")) big.push_back(i);
  ASSERT_EQ(big.size(), 2u);
  std::vector<std::string> rows = {"-1 end:0 sec", "-1 ", "-1 -- L\xE4nge:300 Byte --", ListedFileRow(big[1]), ListedFileRow(big[0]),
                                   "-1 ", "-1 -- L\xE4nge:100 Byte --", ListedFileRow(2), ListedFileRow(1), ListedFileRow(0),
                                   "-1 ---", "-1 qsort:0 sec", "-1 scan:0 sec", "-1 ---"};
  EXPECT_EQ(ListedRows(), rows);
  EXPECT_EQ(ControlText(page, IDC_FILES) + ControlText(page, IDC_DUPLICATES) + ControlText(page, IDC_ELAPSED), "750 sec");
  std::string logged;
  for (const std::string& row : rows) logged += row.substr(row.find(' ') + 1) + "\r";
  EXPECT_EQ(ReadWholeFile(logPath), logged);
}

TEST_F(SearchRun, AfterARefusedPathTheLastResultsStayAndCanStillBeDeleted) {
  Search(temp.At("data"), 2);
  std::vector<std::string> rows = ListedRows();
  Search("c");
  EXPECT_EQ(shownMessages, std::vector<std::string>{"Fehler!|Falscher Pfad|0"});
  EXPECT_EQ(ListedRows(), rows);
  EXPECT_EQ(ControlText(page, IDC_FILES) + ControlText(page, IDC_START), "2&Start");
  ASSERT_EQ(fileTable.count, 0u);
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
  Search(temp.At("data"), 120);
  DispatchPending();
  EXPECT_EQ(pumpCalls, 1);
  EXPECT_EQ(fileTable.count, 50u);
  EXPECT_EQ(ListedRows(), (std::vector<std::string>{"-1 end:0 sec", "-1 ---", "-1 qsort:0 sec", "-1 scan:0 sec", "-1 ---"}));
  EXPECT_EQ(ControlText(page, IDC_START), "&Start");
  EXPECT_FALSE(SearchOnStack());
}

TEST_F(SearchRun, NothingThatTheRunWorksOnChangesWhileItIsOn) {
  Type(page, IDC_PATH, temp.At("data"));
  Click(page, IDC_ADD);
  atFirstPump = [](HWND page) {
    Type(page, IDC_PATH, "d:\\elsewhere");
    for (int id : {IDC_ADD, IDC_CLEAR, IDC_BACKUP, IDC_DELETE}) PostClick(page, id);
    PumpMessages();
  };
  Search(temp.At("data"), 60);
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_FOLDERS, LB_GETCOUNT, 0, 0), 1);
  EXPECT_EQ(fileTable.count, 60u);
  EXPECT_TRUE(shownMessages.empty());
  EXPECT_FALSE(FileExists(ProgramFolder() + "BackUp"));
  EXPECT_EQ(ListedRows().size(), 5u + 2u + 60u);  // one group of all 60 files
  Click(page, IDC_ADD);  // once the run has ended the same commands work again
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_FOLDERS, LB_GETCOUNT, 0, 0), 2);
}

TEST_F(SearchRun, OkCancelOrTheCloseBoxDuringARunCloseTheSheetOnceTheRunHasWoundDown) {
  const struct {
    UINT message;
    WPARAM parameter;
    bool ok;
  } cases[] = {{PSM_PRESSBUTTON, PSBTN_OK, true}, {PSM_PRESSBUTTON, PSBTN_CANCEL, false}, {WM_SYSCOMMAND, SC_CLOSE, false}};
  for (const auto& c : cases) {
    ReopenSheet();
    closeMessage = c.message;
    closeParameter = c.parameter;
    atFirstPump = [](HWND page) {
      Type(page, IDC_PATH, "e:\\typed during the run");
      PostMessageA(GetParent(page), closeMessage, closeParameter, 0);
      PumpMessages();
      seenDuringRun = std::to_string(PropSheet_GetCurrentPageHwnd(GetParent(page)) != nullptr) + settings.currentPath +
                      ControlText(page, IDC_START);
    };
    Search(temp.At("data"), c.ok ? 120 : 0);
    EXPECT_EQ(seenDuringRun, "1" + temp.At("data") + "&Start");  // open, scanning its folder, stopped
    EXPECT_EQ(fileTable.count, 50u);
    EXPECT_NE(PropSheet_GetCurrentPageHwnd(sheet), nullptr);  // not yet: the press is queued
    DispatchPending();
    EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet), nullptr);
    EXPECT_EQ(SendMessageA(sheet, PSM_GETRESULT, 0, 0) > 0, c.ok);
    EXPECT_EQ(settings.currentPath, c.ok ? "e:\\typed during the run" : temp.At("data")) << c.parameter;
  }
}

}  // namespace
