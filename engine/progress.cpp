#include "engine/progress.h"

#include <cstdio>

#include "engine/file_table.h"
#include "engine/hooks.h"

namespace {

// The clock second of the last progress refresh. It carries over from one
// search to the next: a refresh due in that same second is skipped. Kept so
// that two quick searches show and pump exactly as the program always has.
int64_t lastRefreshSecond = 0;

// An estimate from the first seconds of a comparison says little.
constexpr int64_t SecondsBeforeEstimate = 5;

struct {
  uint64_t compared;    // bytes read
  uint64_t atMostLeft;  // bytes still to read at most
  uint64_t readInRun;   // bytes read in the run being compared
  int64_t startTime;
} share;

}  // namespace

void RefreshProgress(uint32_t index) {
  searchState.nowTime = platform.clockSeconds();
  if (searchState.nowTime == lastRefreshSecond) return;
  char text[64];
  snprintf(text, sizeof text, "%d / %d", static_cast<int>(index),
           static_cast<int>(fileTable.count));
  engineHooks.setFieldText(FieldFileCount, text);
  engineHooks.setFieldNumber(FieldDuplicateCount, searchState.duplicateCount);
  engineHooks.setFieldText(FieldMegabytes, FormatMegabytes(searchState.duplicateBytes).text);
  engineHooks.setFieldText(FieldElapsed, FormatSeconds(searchState.nowTime - searchState.startTime).text);
  Share now = ShareAt(searchState.nowTime);
  engineHooks.showShare(now.permille, now.secondsLeft);
  engineHooks.pumpMessages();
  lastRefreshSecond = searchState.nowTime;
}

void StartShare(uint64_t bytesToCompare) {
  share.compared = 0;
  share.atMostLeft = bytesToCompare;
  share.readInRun = 0;
  share.startTime = platform.clockSeconds();
  engineHooks.showShare(0, -1);
}

void CountComparedBytes(uint64_t bytes) {
  share.compared += bytes;
  share.readInRun += bytes;
  share.atMostLeft -= bytes < share.atMostLeft ? bytes : share.atMostLeft;
}

void SettleRun(uint64_t runBytes) {
  uint64_t unread = runBytes > share.readInRun ? runBytes - share.readInRun : 0;
  share.atMostLeft -= unread < share.atMostLeft ? unread : share.atMostLeft;
  share.readInRun = 0;
}

Share ShareAt(int64_t nowSeconds) {
  uint64_t total = share.compared + share.atMostLeft;
  if (total == 0) return {1000, -1};
  Share result = {static_cast<int>(1000.0 * static_cast<double>(share.compared) / static_cast<double>(total)), -1};
  int64_t seconds = nowSeconds - share.startTime;
  if (seconds >= SecondsBeforeEstimate && share.compared > 0) {
    double left = static_cast<double>(seconds) * static_cast<double>(share.atMostLeft) / static_cast<double>(share.compared);
    result.secondsLeft = left < 360000.0 ? static_cast<int>(left + 0.5) : 360000;
  }
  return result;
}

TimeLeftText FormatTimeLeft(int seconds) {
  TimeLeftText shown = {};
  int minutes = (seconds + 30) / 60;
  if (seconds < 0)
    shown.text[0] = '\0';
  else if (seconds < 60)
    snprintf(shown.text, sizeof shown.text, "noch weniger als 1 min");
  else if (minutes < 60)
    snprintf(shown.text, sizeof shown.text, "noch etwa %d min", minutes);
  else
    snprintf(shown.text, sizeof shown.text, "noch etwa %d h %d min", minutes / 60, minutes % 60);
  return shown;
}
