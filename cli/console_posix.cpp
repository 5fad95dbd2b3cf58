// The console front end on POSIX systems; the Windows build compiles nothing
// of this file.
#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "cli/console.h"
#include "cli/text.h"
#include "engine/file_table.h"

static volatile sig_atomic_t interrupted = 0;

char** ProgramArguments(int, char** argv) { return argv; }

void WriteText(FILE* stream, const char* text, TextOrigin origin) {
  if (origin == TextOrigin::System) {
    fputs(text, stream);
    return;
  }
  std::string utf8;
  AppendCp1252AsUtf8(&utf8, text);
  fwrite(utf8.data(), 1, utf8.size(), stream);
}

bool IsTerminal(FILE* stream) { return isatty(fileno(stream)) == 1; }

bool IsExistingFolder(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

static void OnInterrupt(int) {
  interrupted = 1;
  searchState.running = 0;
}

void CatchInterrupt() {
  struct sigaction action = {};
  sigaction(SIGINT, nullptr, &action);
  // A shell starts background jobs with Ctrl+C ignored; they keep it so.
  if (action.sa_handler == SIG_IGN) return;
  action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // The first Ctrl+C winds the search down; the handler then resets itself so
  // a second one ends a run that is stuck in one long comparison. Calls are
  // not restarted: a read that waits is cut short at once.
  action.sa_flags = SA_RESETHAND;
  sigaction(SIGINT, &action, nullptr);
  // A Ctrl+C held back by the parent arrives now, when it can stop the search.
  sigset_t interrupt;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  sigprocmask(SIG_UNBLOCK, &interrupt, nullptr);
}

bool WasInterrupted() { return interrupted != 0; }

void KeepWritingThroughInterrupt() {
  struct sigaction action = {};
  sigaction(SIGINT, nullptr, &action);
  if (action.sa_handler != OnInterrupt) return;
  action.sa_flags |= SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
}
#endif
