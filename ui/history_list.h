// The path and filter histories as lists, apart from their combo boxes: ten
// entries each, entry 0 the newest, "" a free slot.
#pragma once
#include "engine/settings.h"

using History = char[HistorySize][MaxPathText];

// The entry equal to `value` (only a-z match regardless of case): the highest
// such entry, or the lowest when `lowest` is set; -1 when there is none.
int FindInHistory(const History& history, const char* value, bool lowest);

// Puts `value` into entry 0; the others move down one and the oldest is dropped.
void PushOntoHistory(History& history, const char* value);
