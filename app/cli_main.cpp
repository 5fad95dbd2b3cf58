// parvik-cli: the duplicate search of the window program, run from a console.
// It prints the rows the results window would show, top row first.
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli_arguments.h"
#include "app/cli_console.h"
#include "app/cli_progress.h"
#include "engine/file_table.h"
#include "engine/hooks.h"
#include "engine/search.h"
#include "engine/settings.h"
#include "engine/text.h"

namespace {

enum ExitStatus {
  ExitComplete = 0,
  ExitFailure = 1,       // no memory, or the listing could not be written
  ExitBadArguments = 2,  // also a folder that does not exist
  ExitInterrupted = 130, // the shells' status for a run ended by Ctrl+C
};

struct Row {
  int32_t itemData;
  std::string text;
};

CliOptions options;
std::vector<Row> rows;  // in the order the search adds them

void CollectRow(int32_t itemData, const char* text) { rows.push_back(Row{itemData, text}); }

void CopySourceFolder(int index, char* folder) {
  CopyText(folder, MaxPath, options.folders[static_cast<size_t>(index)].c_str());
  TrimTrailingSeparators(folder);
}

void ReportError(const char* message, const char* argument) {
  WriteText(stderr, "parvik-cli: ", TextOrigin::Program);
  WriteText(stderr, message, TextOrigin::Program);
  if (argument) WriteText(stderr, argument, TextOrigin::System);
  fputc('\n', stderr);
}

// The window inserts every row at the top, so it reads newest first. A file
// row is the path as the system spells it with two time stamps; everything
// else is the program's own text.
bool PrintRows() {
  for (size_t k = rows.size(); k-- > 0;) {
    const Row& row = rows[k];
    WriteText(stdout, row.text.c_str(),
              row.itemData == TextRow ? TextOrigin::Program : TextOrigin::System);
    fputc('\n', stdout);
  }
  return fflush(stdout) == 0 && !ferror(stdout);
}

bool ObtainSearchMemory() {
  if (!ObtainStreamBuffers()) {
    engineHooks.showMessage("Fehler Speicher large content", "Fehler", ButtonsOk);
    return false;
  }
  if (!CreateFileTable()) {
    engineHooks.showMessage("Fehler Speicher Entries", "Fehler", ButtonsOk);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  CliError error;
  if (!ParseCliArguments(argc, argv, &options, &error)) {
    ReportError(error.message, error.argument);
    return ExitBadArguments;
  }
  if (options.help) {
    WriteText(stdout, CliUsage, TextOrigin::Program);
    return ExitComplete;
  }
  for (const std::string& folder : options.folders) {
    if (!IsExistingFolder(folder.c_str())) {
      ReportError("Ordner nicht gefunden: ", folder.c_str());
      return ExitBadArguments;
    }
  }

  InstallConsoleHooks(IsTerminal(stderr));
  // Wine's C runtime leaves a redirected stdout unbuffered and asks the
  // server about the console for every byte; one buffer makes it a few writes.
  if (!IsTerminal(stdout)) setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  if (!ObtainSearchMemory()) return ExitFailure;

  CopyText(settings.currentFilter, sizeof settings.currentFilter, options.filter);
  settings.minSize = options.minSize;
  settings.sameName = options.sameName ? 1 : 0;
  settings.logFile = 0;

  searchState.running = 1;
  searchState.duplicateCount = 0;
  searchState.duplicateBytes = 0;
  fileTable.count = 0;
  CatchInterrupt();
  RunSearchSteps(static_cast<int>(options.folders.size()), CopySourceFolder, CollectRow);
  // A Ctrl+C while the rows are printed cuts nothing short.
  bool interrupted = WasInterrupted();
  bool failed = EngineReportedFailure();
  searchState.running = 0;
  ShowFinalProgress();

  if (!PrintRows()) {
    ReportError("Die Ausgabe lässt sich nicht schreiben", nullptr);
    return ExitFailure;
  }
  if (interrupted) {
    // The list looks like a complete one; say that it is not.
    ReportError("Mit Strg+C abgebrochen, die Liste ist unvollständig", nullptr);
    return ExitInterrupted;
  }
  return failed ? ExitFailure : ExitComplete;
}
