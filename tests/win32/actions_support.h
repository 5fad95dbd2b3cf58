// Test support for the actions on results: a results list filled with rows
// for real files, recorded message boxes answered by the test, and the
// folders and logs that backup and deletion leave beside the test program.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/file_table.h"
#include "engine/listing.h"
#include "ui/results_window.h"

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
void ExpectMessage(const RecordedMessage& message, const char* text, const char* caption,
                   unsigned buttons);

// A hidden report list view standing in as `resultsWindow`.
void CreateTestResultsList();
void DestroyTestResultsList();
// Fills the list so that it shows `rows` top first.
void ShowRows(const std::vector<ListRow>& rows);
void SelectRow(int row);
// The rows a search leaves for one group of the given files (of `size` bytes):
// end row, empty row, length heading, one file row each, separator. Returns
// the table indices of the files, top first.
std::vector<int32_t> ShowOneGroup(const std::vector<std::string>& paths, int size);
std::vector<ListRow> ListedRows();

// Appends a table entry for the real file at `path` with its size and times.
int32_t AddTableEntry(const std::string& path);
// The file row text of table entry `index`.
std::string FileRowOf(int32_t index);

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
std::vector<std::string> FileNamesIn(const std::string& folder);
// The names in `after` that `before` lacks.
std::vector<std::string> NewNames(const std::vector<std::string>& after,
                                  const std::vector<std::string>& before);
// Creates or replaces the file with exactly these bytes.
void WriteBytes(const std::string& path, const std::string& bytes);

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
};
