#pragma once

// Dispatches every message waiting in the thread's queue, then returns.
void PumpMessages();
