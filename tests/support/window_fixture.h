// Support for the window tests: the real sheet and its main page opened
// modeless with the real dialog procedure, a results list of rows for real
// files, message boxes answered by the test, and the folders and logs that
// backup and deletion leave beside the test program.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/file_table.h"
#include "engine/hooks.h"
#include "engine/listing.h"
#include "engine/settings.h"
#include "temp_folder.h"
#include "ui/history.h"
#include "ui/results_window.h"

void ResetSettingsToDefaults();  // as a start without an INI file gives them
void DispatchPending();          // every message waiting in the test thread's queue
std::string ControlText(HWND page, int id);
std::vector<std::string> ComboItems(HWND box);
std::vector<std::string> ListBoxItems(HWND list);
void Click(HWND page, int id);  // the control's own BM_CLICK: check boxes mark themselves
void Type(HWND page, int id, const std::string& text);
void SetHistory(History& history, const std::vector<std::string>& entries);
std::vector<std::string> HistoryOf(const History& history);
// Every dialog that opens over the sheet (the folder browser) is answered with
// `command` once it shows, until the test ends.
void AnswerDialogsWith(int command);
extern int dialogsAnswered;
extern int64_t testClockSeconds;  // the engine's clock during page tests

struct RecordedMessage {
  std::string text, caption;
  unsigned buttons;
  bool operator==(const RecordedMessage& o) const {
    return text == o.text && caption == o.caption && buttons == o.buttons;
  }
};
// Message boxes shown so far; each Yes/No question takes the next queued
// answer (Yes when none is queued).
extern std::vector<RecordedMessage> recordedMessages;
void QueueAnswer(int answer);
inline void ExpectMessages(const std::vector<RecordedMessage>& expected) {
  EXPECT_TRUE(recordedMessages == expected) << recordedMessages.size() << " messages";
}

struct ListRow {
  int32_t itemData;  // file index, or TextRow
  std::string text;
  bool operator==(const ListRow& o) const { return itemData == o.itemData && text == o.text; }
};
void ShowRows(const std::vector<ListRow>& rows);  // top first
void SelectRow(int row);
std::vector<ListRow> ListedRows();
inline void ExpectRows(const std::vector<ListRow>& expected) {
  std::vector<ListRow> rows = ListedRows();
  ASSERT_EQ(rows.size(), expected.size());
  for (size_t r = 0; r < rows.size(); r++) EXPECT_TRUE(rows[r] == expected[r]) << "row " << r << ": " << rows[r].text;
}
// The rows a search leaves for one group of these files of `size` bytes;
// returns their table indices, top first.
std::vector<int32_t> ShowOneGroup(const std::vector<std::string>& paths, int size);
// One selected file row for each file, top first; returns their indices.
std::vector<int32_t> ShowMarkedFiles(const std::vector<std::string>& paths);
template <typename Action>
void WithoutResultsWindow(Action action) {
  HWND list = resultsWindow;
  resultsWindow = nullptr;
  action();
  resultsWindow = list;
}

std::vector<std::string> TablePaths();
std::string FileRowOf(int32_t index);
std::string LoggedRows(const std::vector<int32_t>& indices);  // each ended by CR LF

std::string ProgramFolder();  // ending in a backslash
void RemoveActionOutputs();   // BackUp and every deletion log beside the program
std::vector<std::string> BackupRunFolders();
std::vector<std::string> DeletionLogs();
std::string StampFromNow(int secondsAhead);  // "DDMMYYYY-HHMMSS" in local time
std::string SecondHeaderFor(const std::string& stamp);  // "Parvik 2.3, DD.MM.YYYY  HH:MM:SS"
std::vector<std::string> NewNames(const std::vector<std::string>& after,
                                  const std::vector<std::string>& before);
void MakeLogCreationFail();  // until the test ends

// Keeps a file open without any sharing, so moving or deleting it fails.
struct HeldOpenFile {
  HANDLE handle;
  explicit HeldOpenFile(const std::string& path)
      : handle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~HeldOpenFile() { CloseHandle(handle); }
};

// An empty table and list, recorded messages and nothing left over from
// earlier backups or deletions; cleaned up afterwards.
class ActionsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  TempFolder temp;
};

// Default settings, an empty table, recorded messages, the test clock and a
// freshly opened sheet; everything undone afterwards.
class PageTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  void ReopenSheet();  // so that the page reads changed settings
  void WriteFiles(const std::string& folder, int count, const std::string& bytes);
  HWND sheet = nullptr, page = nullptr;
  TempFolder temp;
  EngineHooks savedHooks;
};
