#include "engine/progress.h"

#include <cstdio>

#include "engine/file_table.h"
#include "engine/hooks.h"

namespace {

// The clock second of the last progress refresh. It carries over from one
// search to the next: a refresh due in that same second is skipped. Kept so
// that two quick searches show and pump exactly as the program always has.
int64_t lastRefreshSecond = 0;

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
  engineHooks.pumpMessages();
  lastRefreshSecond = searchState.nowTime;
}
