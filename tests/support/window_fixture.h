#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include "engine/listing.h"
#include "engine/settings.h"
#include "temp_folder.h"
#include "ui/results_window.h"

void DispatchPending();
std::string ControlText(HWND window, int id);
void Click(HWND page, int id);
void Type(HWND page, int id, const std::string& text);

extern Texts shownMessages;
extern int yesNoAnswer, yesNoCancelAnswer;
extern const char askDelete[];

void ShowRows(const std::vector<std::pair<int32_t, std::string>>& rows);
void SelectRow(int row);
Texts ListedRows();
LPARAM RowPoint(int row);
std::string ListedFileRow(int32_t index);
std::vector<int32_t> ShowOneGroup(const Texts& paths);

extern void (*atFirstPump)(HWND page);
extern int pumpCalls;
std::string ProgramFolder();
Texts BackupRuns();
std::string BackupLog(const std::string& run);

class PageTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  void ReopenSheet();
  void Search(int files, const std::string& path = "");
  HWND sheet = nullptr, page = nullptr;
  TempFolder temp;
};
