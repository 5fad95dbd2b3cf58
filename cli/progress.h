// The engine's hooks in a console: the statistics fields become one status
// line on stderr, rewritten in place, and message boxes become lines there.
#pragma once

// Points engineHooks at the console. With `showProgress` false (stderr is not
// a terminal) the fields are dropped and only messages are written.
void InstallConsoleHooks(bool showProgress);

// The totals of the finished run, as the window shows them at its end, then
// the status line is closed with a newline.
void ShowFinalProgress();

// True once the engine has shown a message: every message it shows during a
// search reports a failure (no memory), after which the listing may be short.
bool EngineReportedFailure();
