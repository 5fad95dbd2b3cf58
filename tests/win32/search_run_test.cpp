// Search runs started with the page's Start button over real folders: the
// rows and item data of the results, the histories, the folder list, the
// path check, cancelling, and what stays untouched while a run is on.
#include <windows.h>

#include "ui/search_run.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/text.h"
#include "res/resource.h"
#include "test_support.h"
#include "ui/main_page.h"
#include "ui/pump.h"

namespace {

const std::vector<ListRow> OnlyTextRows = {{TextRow, "end:0 sec"},
                                           {TextRow, "---"},
                                           {TextRow, "qsort:0 sec"},
                                           {TextRow, "scan:0 sec"},
                                           {TextRow, "---"}};

// What the test's pump hook does at the first pump of a run.
void (*atFirstPump)(HWND page);
int pumpCalls;

void TestPump() {
  if (pumpCalls++ == 0 && atFirstPump) atFirstPump(pageWindow);
  PumpMessages();
}

void PostClick(HWND page, int id) { PostMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0); }

class SearchRun : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    atFirstPump = nullptr;
    pumpCalls = 0;
    engineHooks.pumpMessages = TestPump;
    CopyText(logPath, MaxPath, temp.At("Parvik.LOG").c_str());
  }

  void Search(const std::string& path, const std::string& filter = "*.*") {
    Type(page, IDC_PATH, path);
    Type(page, IDC_FILTER, filter);
    Click(page, IDC_START);
  }

  // The run has ended without a group, after scanning this many files.
  void ExpectEndedWithoutGroups(uint32_t filesScanned) {
    EXPECT_EQ(fileTable.count, filesScanned);
    ExpectRows(OnlyTextRows);
    EXPECT_EQ(ControlText(page, IDC_FILES), std::to_string(filesScanned));
    EXPECT_EQ(ControlText(page, IDC_START), "&Start");
    EXPECT_EQ(searchState.running, 0);
    EXPECT_FALSE(SearchOnStack());
  }
};

TEST_F(SearchRun, ListsEachGroupUnderItsLengthLargestFirstAndLogsThemWhenTheOptionIsOn) {
  temp.Write("data\\a.bin", std::string(100, 'A'));
  temp.Write("data\\b.bin", std::string(100, 'A'));
  temp.Write("data\\sub\\c.bin", std::string(100, 'A'));
  temp.Write("data\\unique.bin", std::string(200, 'U'));
  temp.Write("data\\d.bin", std::string(300, 'D'));
  temp.Write("data\\sub\\e.bin", std::string(300, 'D'));
  temp.Write("data\\other.bin", std::string(300, 'X'));

  Search(temp.At("data"));

  // Sorted by size: 0-2 are 100 bytes, 3 is 200 bytes, 4-6 are 300 bytes.
  ASSERT_EQ(fileTable.count, 7u);
  std::vector<int32_t> group300;
  for (int32_t i = 4; i < 7; i++) {
    if (std::string(fileTable.entries[i].path).find("other") == std::string::npos)
      group300.push_back(i);
  }
  ASSERT_EQ(group300.size(), 2u);
  ExpectRows({{TextRow, "end:0 sec"},
              {TextRow, ""},
              {TextRow, "-- L\xE4nge:300 Byte --"},
              {group300[1], FileRowOf(group300[1])},
              {group300[0], FileRowOf(group300[0])},
              {TextRow, ""},
              {TextRow, "-- L\xE4nge:100 Byte --"},
              {2, FileRowOf(2)},
              {1, FileRowOf(1)},
              {0, FileRowOf(0)},
              {TextRow, "---"},
              {TextRow, "qsort:0 sec"},
              {TextRow, "scan:0 sec"},
              {TextRow, "---"}});
  EXPECT_EQ(ControlText(page, IDC_FILES), "7");
  EXPECT_EQ(ControlText(page, IDC_DUPLICATES), "5");
  EXPECT_EQ(ControlText(page, IDC_ELAPSED), "0 sec");
  for (uint32_t i = 0; i < fileTable.count; i++) EXPECT_EQ(fileTable.entries[i].groupId, 0);
  EXPECT_FALSE(FileExists(logPath));  // the option is off

  Click(page, IDC_LOG_FILE);
  Search(temp.At("data"));
  std::string logged;
  for (const ListRow& row : ListedRows()) logged += row.text + "\r";
  EXPECT_EQ(ListedRows().size(), 14u);
  EXPECT_EQ(ReadWholeFile(logPath), logged);
}

TEST_F(SearchRun, ASecondRunShowsOnlyItsOwnRowsInTheSameWindow) {
  temp.Write("one\\a.bin", "same");
  temp.Write("one\\b.bin", "same");
  temp.MakeFolder("empty");
  Search(temp.At("one"));
  HWND first = resultsWindow;
  Search(temp.At("empty"));
  EXPECT_EQ(resultsWindow, first);
  ExpectEndedWithoutGroups(0);
}

TEST_F(SearchRun, ATrailingBackslashIsDroppedForTheScanButKeptInTheHistory) {
  std::string file = temp.Write("data\\a.bin", "same");
  std::string typed = temp.At("data") + "\\";  // like "c:\"
  Search(typed);
  EXPECT_EQ(settings.currentPath, temp.At("data"));
  EXPECT_EQ(HistoryOf(settings.pathHistory)[0], typed);
  EXPECT_EQ(ControlText(page, IDC_PATH), typed);
  EXPECT_EQ(TablePaths(), std::vector<std::string>{file});
}

TEST_F(SearchRun, TheFolderListIsScannedInsteadOfTheTypedPath) {
  std::string one = temp.Write("one\\a.bin", "one");
  temp.Write("two\\b.bin", "two");
  temp.Write("typed\\c.bin", "typed");
  Type(page, IDC_PATH, temp.At("two") + "\\");  // a listed folder keeps its backslash
  Click(page, IDC_ADD);
  Type(page, IDC_PATH, temp.At("one"));
  Click(page, IDC_ADD);

  Search(temp.At("typed"));

  std::vector<std::string> paths = TablePaths();
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (std::vector<std::string>{one, temp.At("two") + "\\\\b.bin"}));
  EXPECT_EQ(HistoryOf(settings.pathHistory)[0], temp.At("typed"));
}

TEST_F(SearchRun, APathShorterThanTwoCharactersIsRefusedAndTheLastResultsStay) {
  temp.Write("data\\a.bin", "same");
  temp.Write("data\\b.bin", "same");
  Search(temp.At("data"));
  std::vector<ListRow> before = ListedRows();
  std::vector<std::string> history = HistoryOf(settings.pathHistory);

  Search("c");

  ExpectMessages({{"Falscher Pfad", "Fehler!", MB_OK}});
  ExpectRows(before);
  EXPECT_EQ(HistoryOf(settings.pathHistory), history);
  EXPECT_EQ(fileTable.count, 0u);
  EXPECT_EQ(ControlText(page, IDC_FILES), "2");  // the last run's count stays
  EXPECT_EQ(ControlText(page, IDC_DUPLICATES), "0");
  EXPECT_EQ(ControlText(page, IDC_MEGABYTES), "0");
  EXPECT_EQ(ControlText(page, IDC_START), "&Start");
  EXPECT_EQ(searchState.running, 0);
  EXPECT_FALSE(SearchOnStack());
}

TEST_F(SearchRun, AnEleventhPathPushesTheOldestOutOfTheHistory) {
  std::vector<std::string> old;
  for (int n = 0; n < HistorySize; n++) old.push_back("d:\\old" + std::to_string(n));
  SetHistory(settings.pathHistory, old);
  ReopenSheet();
  temp.MakeFolder("data");

  Search(temp.At("data"));

  std::vector<std::string> expected = {temp.At("data")};
  expected.insert(expected.end(), old.begin(), old.end() - 1);
  EXPECT_EQ(HistoryOf(settings.pathHistory), expected);
  EXPECT_EQ(ComboItems(GetDlgItem(page, IDC_PATH)), expected);
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_PATH, CB_GETCURSEL, 0, 0), 0);
}

TEST_F(SearchRun, APathInOtherLetterCaseSelectsItsHistoryEntryButIsScannedAsTyped) {
  temp.Write("Data\\a.bin", "same");
  SetHistory(settings.pathHistory, {"d:\\first", temp.At("Data"), "d:\\third"});
  ReopenSheet();
  std::string typed = temp.path + "\\DATA";

  Search(typed);

  EXPECT_EQ(HistoryOf(settings.pathHistory)[1], temp.At("Data"));
  EXPECT_EQ(HistoryOf(settings.pathHistory)[3], "");
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_PATH, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(ControlText(page, IDC_PATH), temp.At("Data"));
  EXPECT_EQ(TablePaths(), std::vector<std::string>{typed + "\\a.bin"});
}

TEST_F(SearchRun, ANewFilterThatBeginsAnOlderOneSelectsTheOlderButSearchesWithTheNew) {
  std::string mp = temp.Write("data\\song.mp", "same");
  temp.Write("data\\song.mp3", "same");
  SetHistory(settings.filterHistory, {"*.mp3", "*.txt"});
  ReopenSheet();

  Search(temp.At("data"), "*.mp");

  std::vector<std::string> listed = {"*.mp", "*.mp3", "*.txt"};
  std::vector<std::string> history = HistoryOf(settings.filterHistory);
  EXPECT_EQ(std::vector<std::string>(history.begin(), history.begin() + 3), listed);
  EXPECT_EQ(ComboItems(GetDlgItem(page, IDC_FILTER)), listed);
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_FILTER, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(ControlText(page, IDC_FILTER), "*.mp3");
  EXPECT_STREQ(settings.currentFilter, "*.mp");
  EXPECT_EQ(TablePaths(), std::vector<std::string>{mp});
}

// Seen at the first pump, right after the nested clicks were handled.
std::string captionAfterClick;
std::string countAfterClick;

TEST_F(SearchRun, CancelDuringTheScanStopsAtOnceListsNoGroupsAndStartsNoNestedRun) {
  WriteFiles("data", 120, "all the same");
  atFirstPump = [](HWND page) {
    PostClick(page, IDC_START);  // cancel
    PostClick(page, IDC_START);  // would start a new run under the old one
    PumpMessages();
    captionAfterClick = ControlText(page, IDC_START);
    countAfterClick = ControlText(page, IDC_FILES);
  };

  Search(temp.At("data"));
  DispatchPending();

  EXPECT_EQ(pumpCalls, 1);
  EXPECT_EQ(captionAfterClick, "&Start");
  EXPECT_EQ(countAfterClick, "50");
  ExpectEndedWithoutGroups(50);
}

int64_t SteppingClock() { return ++testClockSeconds; }

TEST_F(SearchRun, CancelDuringTheGroupingListsTheGroupsFoundSoFar) {
  temp.Write("data\\a.bin", std::string(100, 'A'));
  temp.Write("data\\b.bin", std::string(100, 'A'));
  temp.Write("data\\d.bin", std::string(300, 'D'));
  temp.Write("data\\e.bin", std::string(300, 'D'));
  platform.clockSeconds = SteppingClock;  // every grouping step shows progress
  atFirstPump = [](HWND page) { PostClick(page, IDC_START); };

  Search(temp.At("data"));

  std::vector<ListRow> rows = ListedRows();
  ASSERT_EQ(rows.size(), 9u);
  EXPECT_EQ(rows[0].text.rfind("end:", 0), 0u);
  EXPECT_EQ(rows[1].text, "");
  EXPECT_EQ(rows[2].text, "-- L\xE4nge:100 Byte --");
  EXPECT_EQ(rows[3].itemData, 1);
  EXPECT_EQ(rows[4].itemData, 0);
  EXPECT_EQ(rows[5].text, "---");
  EXPECT_EQ(rows[6].text.rfind("qsort:", 0), 0u);
  EXPECT_EQ(rows[7].text.rfind("scan:", 0), 0u);
  EXPECT_EQ(rows[8].text, "---");
  EXPECT_EQ(ControlText(page, IDC_START), "&Start");
}

TEST_F(SearchRun, NothingThatTheRunWorksOnChangesWhileItIsOn) {
  WriteFiles("data", 60, "content");
  Type(page, IDC_PATH, temp.At("data"));
  Click(page, IDC_ADD);
  RemoveActionOutputs();
  AnswerDialogsWith(IDCANCEL);  // a browser that opened anyway would end here
  atFirstPump = [](HWND page) {
    Type(page, IDC_PATH, "d:\\elsewhere");
    for (int id : {IDC_ADD, IDC_CLEAR, IDC_BACKUP, IDC_DELETE, IDC_BROWSE}) PostClick(page, id);
    PumpMessages();
  };

  Click(page, IDC_START);

  EXPECT_EQ(dialogsAnswered, 0);
  EXPECT_EQ(ListBoxItems(GetDlgItem(page, IDC_FOLDERS)), std::vector<std::string>{temp.At("data")});
  EXPECT_EQ(fileTable.count, 60u);
  EXPECT_TRUE(recordedMessages.empty());
  EXPECT_TRUE(BackupRunFolders().empty());
  EXPECT_TRUE(DeletionLogs().empty());
  EXPECT_EQ(ListedRows().size(), 5u + 2u + 60u);  // one group of all 60 files

  // Once the run has ended the same commands work again.
  Click(page, IDC_ADD);
  EXPECT_EQ(ListBoxItems(GetDlgItem(page, IDC_FOLDERS)).size(), 2u);
  RemoveActionOutputs();
}

}  // namespace
