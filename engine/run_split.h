// Long runs of one size. The grouping pass compares each entry with every
// later unsettled entry of its size: n files that agree over long prefixes
// cost about n*n/2 comparisons, each as long as the agreement. Before the pass
// enters such a run, the run is split by the content of growing blocks read at
// the same offsets from every file. Files in different parts differ somewhere,
// so the pass only has to do to such a pair what the comparison would do
// without reading it (CompareKnownDifferent); within a part it compares as
// always. Groups, numbers, counters and settled entries come out as the
// pairwise pass alone makes them, as long as every read succeeds and memory
// suffices.
#pragma once
#include <cstdint>

// A file the split could not open or read; it is compared with every file.
constexpr int32_t UnknownPart = -1;

// Runs at least this long are split first; 0 never splits.
extern uint32_t longRunThreshold;

// Called where a run of one size begins, before any of its files is opened:
// splits the run when it is long, and forgets the split of the run before.
void SplitRunIfLong(uint32_t first);

// True when entries i < j of the current run lie in different parts.
bool KnownToDiffer(uint32_t i, uint32_t j);

// Forgets the current split; the pass calls it when it ends.
void ForgetSplitRun();

// Fills parts[k] for the entries first + k, k < length, all of one size and
// none of them open: equal part numbers for files whose blocks all hashed
// alike, UnknownPart for files it could not read. Each file it could read stays
// open for the pass. False when there is no memory for the split (the run is
// then compared pairwise).
bool SplitRunByContent(uint32_t first, uint32_t length, int32_t* parts);
