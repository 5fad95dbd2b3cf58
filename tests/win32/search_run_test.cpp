// Search runs started with the page's Start button over real folders: rows,
// log, histories, the folder list, the path check, cancelling, and what stays
// untouched while a run is on.
#include "ui/search_run.h"

#include <commctrl.h>

#include <algorithm>

#include "engine/text.h"
#include "res/resource.h"
#include "ui/main_page.h"
#include "ui/pump.h"
#include "window_fixture.h"

namespace {

const std::vector<ListRow> TimingRows = {{TextRow, "---"}, {TextRow, "qsort:0 sec"}, {TextRow, "scan:0 sec"}, {TextRow, "---"}};

void (*atFirstPump)(HWND page);  // what the pump hook does at the first pump of a run
int pumpCalls;

void PostClick(HWND page, int id) { PostMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0); }

class SearchRun : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    atFirstPump = nullptr;
    pumpCalls = 0;
    engineHooks.pumpMessages = [] {
      if (pumpCalls++ == 0 && atFirstPump) atFirstPump(pageWindow);
      PumpMessages();
    };
    CopyText(logPath, MaxPath, temp.At("Parvik.LOG").c_str());
  }
  void Search(const std::string& path, const std::string& filter = "*.*") {
    Type(page, IDC_PATH, path);
    Type(page, IDC_FILTER, filter);
    Click(page, IDC_START);
  }
  void ExpectIdle() {
    EXPECT_EQ(ControlText(page, IDC_START), "&Start");
    EXPECT_EQ(searchState.running, 0);
    EXPECT_FALSE(SearchOnStack());
  }
};

TEST_F(SearchRun, ListsEachGroupUnderItsLengthLargestFirstAndLogsThemWhenTheOptionIsOn) {
  for (const char* name : {"a.bin", "b.bin", "sub\\c.bin"}) temp.Write("data\\" + std::string(name), std::string(100, 'A'));
  temp.Write("data\\unique.bin", std::string(200, 'U'));
  temp.Write("data\\d.bin", std::string(300, 'D'));
  temp.Write("data\\sub\\e.bin", std::string(300, 'D'));
  temp.Write("data\\other.bin", std::string(300, 'X'));
  Search(temp.At("data"));
  // Sorted by size: 0-2 are 100 bytes, 3 is 200 bytes, 4-6 are 300 bytes.
  ASSERT_EQ(fileTable.count, 7u);
  std::vector<int32_t> big;
  for (int32_t i = 4; i < 7; i++)
    if (!strstr(fileTable.entries[i].path, "other")) big.push_back(i);
  ASSERT_EQ(big.size(), 2u);
  std::vector<ListRow> rows = {{TextRow, "end:0 sec"}, {TextRow, ""}, {TextRow, "-- L\xE4nge:300 Byte --"},
                               {big[1], FileRowOf(big[1])}, {big[0], FileRowOf(big[0])}, {TextRow, ""},
                               {TextRow, "-- L\xE4nge:100 Byte --"}, {2, FileRowOf(2)}, {1, FileRowOf(1)}, {0, FileRowOf(0)}};
  rows.insert(rows.end(), TimingRows.begin(), TimingRows.end());
  ExpectRows(rows);
  EXPECT_EQ(ControlText(page, IDC_FILES), "7");
  EXPECT_EQ(ControlText(page, IDC_DUPLICATES), "5");
  EXPECT_EQ(ControlText(page, IDC_ELAPSED), "0 sec");
  EXPECT_FALSE(FileExists(logPath));  // the option is off
  Click(page, IDC_LOG_FILE);
  Search(temp.At("data"));
  std::string logged;
  for (const ListRow& row : rows) logged += row.text + "\r";
  EXPECT_EQ(ReadWholeFile(logPath), logged);
}

TEST_F(SearchRun, TheFolderListIsScannedInsteadOfTheTypedPathWhoseTrailingBackslashIsDropped) {
  std::string one = temp.Write("one\\a.bin", "one");
  temp.Write("two\\b.bin", "two");
  std::string typed = temp.Write("typed\\c.bin", "typed");
  Search(temp.At("typed") + "\\");  // like "c:\"
  EXPECT_EQ(settings.currentPath, temp.At("typed"));
  EXPECT_EQ(HistoryOf(settings.pathHistory)[0], temp.At("typed") + "\\");
  EXPECT_EQ(TablePaths(), std::vector<std::string>{typed});
  Type(page, IDC_PATH, temp.At("two") + "\\");  // a listed folder keeps its backslash
  Click(page, IDC_ADD);
  Type(page, IDC_PATH, temp.At("one"));
  Click(page, IDC_ADD);
  Search(temp.At("typed"));
  std::vector<std::string> paths = TablePaths();
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (std::vector<std::string>{one, temp.At("two") + "\\\\b.bin"}));
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
  EXPECT_EQ(ControlText(page, IDC_FILES), "2");  // the last run's count stays
  ExpectIdle();
}

TEST_F(SearchRun, HistoriesTakeNewValuesOnTopAndSelectTheEntryAnOldValueMatches) {
  std::vector<std::string> old = {"d:\\first", temp.At("Data"), "d:\\third", "4", "5", "6", "7", "8", "9", "10"};
  SetHistory(settings.pathHistory, old);
  SetHistory(settings.filterHistory, {"*.mp3", "*.txt"});
  ReopenSheet();
  temp.Write("Data\\song.mp", "same");
  temp.Write("Data\\song.mp3", "same");
  // Another letter case selects the entry, but the scan takes the path as typed.
  Search(temp.path + "\\DATA", "*.mp");
  EXPECT_EQ(HistoryOf(settings.pathHistory), old);
  EXPECT_EQ(SendDlgItemMessageA(page, IDC_PATH, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(TablePaths(), std::vector<std::string>{temp.path + "\\DATA\\song.mp"});
  // A new filter that begins an older one selects the older but searches with the new.
  EXPECT_EQ(ComboItems(GetDlgItem(page, IDC_FILTER)), (std::vector<std::string>{"*.mp", "*.mp3", "*.txt"}));
  EXPECT_EQ(ControlText(page, IDC_FILTER), "*.mp3");
  EXPECT_STREQ(settings.currentFilter, "*.mp");
  // An eleventh path pushes the oldest out.
  Search(temp.At("Data\\sub"));
  old.insert(old.begin(), temp.At("Data\\sub"));
  old.pop_back();
  EXPECT_EQ(HistoryOf(settings.pathHistory), old);
  EXPECT_EQ(ComboItems(GetDlgItem(page, IDC_PATH)), old);
}

TEST_F(SearchRun, CancelDuringTheScanStopsAtOnceListsNoGroupsAndStartsNoNestedRun) {
  WriteFiles("data", 120, "all the same");
  atFirstPump = [](HWND page) {
    PostClick(page, IDC_START);  // cancel
    PostClick(page, IDC_START);  // would start a new run under the old one
  };
  Search(temp.At("data"));
  DispatchPending();
  EXPECT_EQ(pumpCalls, 1);
  EXPECT_EQ(fileTable.count, 50u);
  std::vector<ListRow> rows = {{TextRow, "end:0 sec"}};
  rows.insert(rows.end(), TimingRows.begin(), TimingRows.end());
  ExpectRows(rows);
  ExpectIdle();
  // During the grouping a cancel lists the groups found so far.
  temp.Write("big\\a.bin", std::string(300, 'D'));
  temp.Write("big\\b.bin", std::string(300, 'D'));
  temp.Write("big\\c.bin", std::string(100, 'A'));
  temp.Write("big\\d.bin", std::string(100, 'A'));
  platform.clockSeconds = [] { return ++testClockSeconds; };  // every grouping step shows progress
  atFirstPump = [](HWND page) { PostClick(page, IDC_START); };
  pumpCalls = 0;
  Search(temp.At("big"));
  rows = ListedRows();
  ASSERT_EQ(rows.size(), 9u);
  EXPECT_EQ(rows[2].text, "-- L\xE4nge:100 Byte --");
  ExpectIdle();
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
  Click(page, IDC_ADD);  // once the run has ended the same commands work again
  EXPECT_EQ(ListBoxItems(GetDlgItem(page, IDC_FOLDERS)).size(), 2u);
  RemoveActionOutputs();
}

}  // namespace
