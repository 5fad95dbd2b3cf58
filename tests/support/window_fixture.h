// Support for the window tests: the real sheet and page, the results window with rows
// for real files, message boxes answered by the test, the outputs of backup and deletion.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/listing.h"
#include "engine/settings.h"
#include "temp_folder.h"
#include "ui/results_window.h"

void DispatchPending();  // every message waiting in the test thread's queue
std::string ControlText(HWND window, int id);
void Click(HWND page, int id);  // the control's own BM_CLICK
void Type(HWND page, int id, const std::string& text);

// Message boxes shown, as "caption|text|buttons"; Yes/No questions are answered so.
extern Texts shownMessages;
extern int yesNoAnswer, yesNoCancelAnswer;  // the latter answers Yes/No/Cancel: IDNO unless set
extern const char askDelete[];  // the question before a deletion

// Rows of the results window, top first, as "<item data> <text>".
void ShowRows(const std::vector<std::pair<int32_t, std::string>>& rows);
void SelectRow(int row);
Texts ListedRows();
LPARAM RowPoint(int row);  // a point inside the row, for mouse messages
std::string ListedFileRow(int32_t index);  // the file's row as ListedRows shows it
// Table entries and rows for these files under one heading; their indices, top first.
std::vector<int32_t> ShowOneGroup(const Texts& paths);

extern void (*atFirstPump)(HWND page);  // what the engine's pump does first in a run
extern int pumpCalls;                    // in this run
std::string ProgramFolder();  // ending in a backslash
Texts BackupRuns();  // the run folders in BackUp
std::string BackupLog(const std::string& run);

// Default settings, an empty table and results window, recorded messages, a fixed
// engine clock and a freshly opened modeless sheet; all undone afterwards, with the
// menu and shell doubles, the protected folders and the INI path.
class PageTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  void ReopenSheet();
  // Puts `files` equal files into "data", types the path ("data" by default), clicks Start.
  void Search(int files, const std::string& path = "");
  HWND sheet = nullptr, page = nullptr;
  TempFolder temp;
};
