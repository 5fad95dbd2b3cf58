// How far a search run is, on the main page and on the taskbar button:
// activity while the folders are listed, then the share of the comparison
// done with an estimate of the time left.
#pragma once
#include <windows.h>

void ShowListingActivity(HWND page);

// The engine's share hook: thousandths done, seconds left or -1.
void ShowRunShare(int permille, int secondsLeft);

// The run is over: a complete one fills the bar, a cancelled one leaves it
// where it stopped; the time left and the taskbar's progress go.
void EndRunProgress(HWND page, bool complete);
