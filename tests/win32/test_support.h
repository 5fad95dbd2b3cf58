// The real sheet and its main page for the window tests: opened modeless from
// the template MAIN with the real dialog procedure, driven with messages.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/hooks.h"
#include "engine/settings.h"
#include "ui/history.h"

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
void Type(HWND page, int id, const std::string& text);

// Until stopped, every dialog that opens over the sheet (the folder browser)
// is answered with `command` (IDOK or IDCANCEL) as soon as it shows.
void AnswerDialogsWith(int command);
void StopAnsweringDialogs();
extern int dialogsAnswered;

// The clock the engine reads; a fixed one makes every elapsed time 0.
extern int64_t testClockSeconds;
int64_t TestClock();

// Each test gets default settings, an empty table, recorded message boxes,
// the test clock and a freshly opened sheet; everything is undone afterwards.
class PageTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Opens the sheet again, so that the page reads changed settings.
  void ReopenSheet();

  HWND sheet = nullptr;
  HWND page = nullptr;

 private:
  void OpenSheet();
  void CloseSheet();
  EngineHooks savedHooks;
};
