#include "actions/marked_names.h"

#include "version.h"

RunStamp StampOf(const CalendarTime& time) {
  RunStamp stamp = {time, ""};
  snprintf(stamp.text, sizeof stamp.text, "%02d%02d%04d-%02d%02d%02d", time.day, time.month, time.year,
           time.hour, time.minute, time.second);
  return stamp;
}

bool NumberedPath(char* path, size_t size, const char* stem, const char* ext, int number) {
  int length = number <= 1 ? snprintf(path, size, "%s%s", stem, ext)
                           : snprintf(path, size, "%s (%d)%s", stem, number, ext);
  return length >= 0 && static_cast<size_t>(length) < size;
}

void WriteLogHeader(FILE* log, const char* title, const RunStamp& stamp) {
  const CalendarTime& t = stamp.time;
  fprintf(log, "%s\n", title);
  fprintf(log, "Parvik " PARVIK_VERSION ", %02d.%02d.%04d  %02d:%02d:%02d\n", t.day, t.month, t.year, t.hour,
          t.minute, t.second);
}
