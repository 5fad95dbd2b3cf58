// Support for the window tests: the real sheet and its main page opened
// modeless with the real dialog procedure, a results list filled with rows for
// real files, message boxes answered by the test, and the folders and logs
// that backup and deletion leave beside the test program.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/file_table.h"
#include "engine/hooks.h"
#include "engine/listing.h"
#include "engine/settings.h"
#include "temp_folder.h"
#include "ui/history.h"
#include "ui/results_window.h"

// Settings as a program start without an INI file gives them.
void ResetSettingsToDefaults();

// Handles every message waiting in the test thread's queue.
void DispatchPending();

std::string ControlText(HWND page, int id);
std::vector<std::string> ComboItems(HWND box);
std::vector<std::string> ListBoxItems(HWND list);
// A user's click: the control's own BM_CLICK, so check boxes mark themselves.
void Click(HWND page, int id);
// Fills the first entries of `history` and frees the rest.
void SetHistory(History& history, const std::vector<std::string>& entries);
std::vector<std::string> HistoryOf(const History& history);
void Type(HWND page, int id, const std::string& text);

// Until stopped, every dialog that opens over the sheet (the folder browser)
// is answered with `command` (IDOK or IDCANCEL) as soon as it shows.
void AnswerDialogsWith(int command);
void StopAnsweringDialogs();
extern int dialogsAnswered;

// The clock the engine reads; a fixed one makes every elapsed time 0.
extern int64_t testClockSeconds;
int64_t TestClock();

struct RecordedMessage {
  std::string text;
  std::string caption;
  unsigned buttons;
};

struct ListRow {
  int32_t itemData;  // file index, or -1 for a text row
  std::string text;
};

// Message boxes answered by the test: each Yes/No question takes the next
// queued answer (Yes when none is queued); OK boxes answer IDOK.
extern std::vector<RecordedMessage> recordedMessages;
void QueueAnswer(int answer);
void StartRecordingMessages();
void StopRecordingMessages();
// The message boxes shown so far are exactly these.
void ExpectMessages(const std::vector<RecordedMessage>& expected);

// A hidden report list view standing in as `resultsWindow`.
void CreateTestResultsList();
void DestroyTestResultsList();
// Runs `action` while there is no results window at all.
template <typename Action>
void WithoutResultsWindow(Action action) {
  DestroyTestResultsList();
  resultsWindow = nullptr;
  action();
  CreateTestResultsList();
}
// Fills the list so that it shows `rows` top first.
void ShowRows(const std::vector<ListRow>& rows);
void SelectRow(int row);
// The rows a search leaves for one group of the given files (of `size` bytes):
// end row, empty row, length heading, one file row each, separator. Returns
// the table indices of the files, top first.
std::vector<int32_t> ShowOneGroup(const std::vector<std::string>& paths, int size);
// One selected file row for each of the files, top first; returns their indices.
std::vector<int32_t> ShowMarkedFiles(const std::vector<std::string>& paths);
std::vector<ListRow> ListedRows();
void ExpectRows(const std::vector<ListRow>& expected);

// The paths of the table entries in table order.
std::vector<std::string> TablePaths();
// Appends a table entry for the real file at `path` with its size and times.
int32_t AddTableEntry(const std::string& path);
// The file row text of table entry `index`.
std::string FileRowOf(int32_t index);
// The file rows of these table entries, each ended by CR LF, as a log has them.
std::string LoggedRows(const std::vector<int32_t>& indices);

// The folder of the test program, ending in a backslash.
std::string ProgramFolder();
// Removes BackUp (folder or file) and every deletion log beside the program.
void RemoveActionOutputs();
// Folder names inside BackUp, and deletion log names beside the program.
std::vector<std::string> BackupRunFolders();
std::vector<std::string> DeletionLogs();
// "DDMMYYYY-HHMMSS" of the local time `secondsAhead` seconds from now.
std::string StampFromNow(int secondsAhead);
// "Parvik 2.3, DD.MM.YYYY  HH:MM:SS" for a stamp as above.
std::string SecondHeaderFor(const std::string& stamp);
// The names in `after` that `before` lacks.
std::vector<std::string> NewNames(const std::vector<std::string>& after,
                                  const std::vector<std::string>& before);

// Until the test ends, no log of a backup or deletion can be created.
void MakeLogCreationFail();

// Keeps a file open without any sharing, so moving or deleting it fails.
struct HeldOpenFile {
  HANDLE handle;
  explicit HeldOpenFile(const std::string& path);
  ~HeldOpenFile();
  HeldOpenFile(const HeldOpenFile&) = delete;
  HeldOpenFile& operator=(const HeldOpenFile&) = delete;
};

// Every action test starts with an empty table and list, recorded messages and
// nothing left over from earlier backups or deletions, and cleans up after.
class ActionsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  TempFolder temp;
};

// Each test gets default settings, an empty table, recorded message boxes,
// the test clock and a freshly opened sheet; everything is undone afterwards.
class PageTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Opens the sheet again, so that the page reads changed settings.
  void ReopenSheet();
  // Writes `count` files with the same bytes into `folder` of `temp`.
  void WriteFiles(const std::string& folder, int count, const std::string& bytes);

  HWND sheet = nullptr;
  HWND page = nullptr;
  TempFolder temp;

 private:
  void OpenSheet();
  void CloseSheet();
  EngineHooks savedHooks;
};
