#include "cli/progress.h"

#include <cstdio>
#include <cstring>

#include "cli/console.h"
#include "engine/file_table.h"
#include "engine/hooks.h"
#include "engine/progress.h"

namespace {

struct StatusLine {
  bool enabled;
  bool open;           // a line is on screen without its newline
  size_t shownLength;  // bytes of the line on screen, to blank a longer one
  char fileCount[32];
  char duplicateCount[16];
  char megabytes[32];
  char elapsed[32];
  int permille;     // ShareUnknown until the comparison starts
  int secondsLeft;  // -1 while no estimate is meaningful
};

StatusLine status;
bool failureReported;

char* FieldBuffer(int field, size_t* size) {
  switch (field) {
    case FieldFileCount: *size = sizeof status.fileCount; return status.fileCount;
    case FieldDuplicateCount: *size = sizeof status.duplicateCount; return status.duplicateCount;
    case FieldMegabytes: *size = sizeof status.megabytes; return status.megabytes;
    case FieldElapsed: *size = sizeof status.elapsed; return status.elapsed;
  }
  return nullptr;
}

void SetFieldText(int field, const char* text) {
  size_t size;
  if (char* buffer = FieldBuffer(field, &size)) snprintf(buffer, size, "%s", text);
}

void SetFieldNumber(int field, uint32_t value) {
  char text[16];
  snprintf(text, sizeof text, "%u", static_cast<unsigned>(value));
  SetFieldText(field, text);
}

void SetShare(int permille, int secondsLeft) {
  status.permille = permille;
  status.secondsLeft = secondsLeft;
}

void DrawStatus() {
  if (!status.enabled) return;
  char share[64] = "";
  if (status.permille != ShareUnknown) {
    TimeLeftText left = FormatTimeLeft(status.secondsLeft);
    snprintf(share, sizeof share, "  %d %%%s%s", status.permille / 10, left.text[0] ? "  " : "", left.text);
  }
  char line[224];
  int length = snprintf(line, sizeof line, "Dateien: %s  Doppelt: %s  Länge: %s MB  Zeit: %s%s",
                        status.fileCount, status.duplicateCount, status.megabytes,
                        status.elapsed, share);
  size_t shown = length < 0 ? 0 : static_cast<size_t>(length);
  if (shown >= sizeof line) shown = sizeof line - 1;
  fputc('\r', stderr);
  WriteText(stderr, line, TextOrigin::Program);
  // Blanks cover what a longer earlier line left behind.
  for (size_t pad = shown; pad < status.shownLength; pad++) fputc(' ', stderr);
  fflush(stderr);
  status.shownLength = shown;
  status.open = true;
}

void CloseStatusLine() {
  if (!status.open) return;
  fputc('\n', stderr);
  status.open = false;
  status.shownLength = 0;
}

int ShowMessageOnStderr(const char* text, const char* caption, unsigned buttons) {
  CloseStatusLine();
  WriteText(stderr, caption, TextOrigin::Program);
  WriteText(stderr, ": ", TextOrigin::Program);
  WriteText(stderr, text, TextOrigin::Program);
  fputc('\n', stderr);
  fflush(stderr);
  failureReported = true;
  // Nobody can answer in a console run; a question gets the safe refusal.
  return buttons == ButtonsYesNo ? AnswerNo : AnswerOk;
}

}  // namespace

void InstallConsoleHooks(bool showProgress) {
  status = StatusLine{};
  status.enabled = showProgress;
  snprintf(status.fileCount, sizeof status.fileCount, "0");
  snprintf(status.duplicateCount, sizeof status.duplicateCount, "0");
  snprintf(status.megabytes, sizeof status.megabytes, "0");
  snprintf(status.elapsed, sizeof status.elapsed, "0 sec");
  status.permille = ShareUnknown;
  failureReported = false;
  // The fields are drawn when the engine pumps: it always sets them first.
  engineHooks = EngineHooks{SetFieldText, SetFieldNumber, DrawStatus, ShowMessageOnStderr, SetShare};
}

void ShowFinalProgress() {
  if (!status.enabled) return;
  SetFieldNumber(FieldFileCount, fileTable.count);
  SetFieldNumber(FieldDuplicateCount, searchState.duplicateCount);
  SetFieldText(FieldElapsed, FormatSeconds(ElapsedSeconds()).text);
  // The pass refreshes the megabytes once a second at most; the end shows
  // the exact total.
  SetFieldText(FieldMegabytes, FormatMegabytes(searchState.duplicateBytes).text);
  status.permille = ShareUnknown;  // the last line shows the totals alone
  DrawStatus();
  CloseStatusLine();
}

bool EngineReportedFailure() { return failureReported; }
