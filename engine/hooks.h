// The engine's only ways to reach the user: the statistics fields of the main
// page, the message pump, message boxes and the share of the run done. The Windows program points these
// at its page; tests and the console front end supply their own.
#pragma once
#include <cstdint>

enum PageField {
  FieldDuplicateCount = 102,
  FieldFileCount = 103,
  FieldElapsed = 106,
  FieldMegabytes = 107,
};

// Button sets and answers carry the values of the Windows message box API.
constexpr unsigned ButtonsOk = 0x0;
constexpr unsigned ButtonsYesNo = 0x4;
constexpr int AnswerOk = 1;
constexpr int AnswerYes = 6;
constexpr int AnswerNo = 7;

// The share of a run not yet known: the folders are still being listed.
constexpr int ShareUnknown = -1;

struct EngineHooks {
  void (*setFieldText)(int field, const char* text);
  void (*setFieldNumber)(int field, uint32_t value);
  void (*pumpMessages)();
  int (*showMessage)(const char* text, const char* caption, unsigned buttons);
  // How far the comparison is, in thousandths, and the seconds it will take
  // yet (-1 while no estimate is meaningful).
  void (*showShare)(int permille, int secondsLeft);
};

extern EngineHooks engineHooks;  // starts as silent no-ops answering AnswerOk
void ResetEngineHooks();
