// parvik-cli: the duplicate search of the window program, run from a console.
// It prints the rows the results window would show, top row first.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/progress.h"
#include "cli/text.h"
#include "engine/exclusions.h"
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
  char* text;
};

CliOptions options;
// The rows in the order the search adds them, in memory that reports its
// exhaustion instead of throwing: a huge listing still ends with a message.
Row* rows;
size_t rowCount;
size_t rowCapacity;
bool rowsLost;

void CollectRow(int32_t itemData, const char* text) {
  if (rowsLost) return;
  if (rowCount == rowCapacity) {
    size_t capacity = rowCapacity ? rowCapacity * 2 : 256;
    Row* grown = capacity <= SIZE_MAX / sizeof(Row)
                     ? static_cast<Row*>(realloc(rows, capacity * sizeof(Row)))
                     : nullptr;
    if (grown) {
      rows = grown;
      rowCapacity = capacity;
    }
  }
  char* copy = rowCount < rowCapacity ? strdup(text) : nullptr;
  if (!copy) {
    rowsLost = true;
    searchState.running = 0;
    engineHooks.showMessage("Fehler!", "Nicht mehr genug Speicher.", ButtonsOk);
    return;
  }
  rows[rowCount++] = Row{itemData, copy};
}

void CopySourceFolder(int index, char* folder) {
  CopyText(folder, MaxPathText, options.folders[static_cast<size_t>(index)].c_str());
  TrimTrailingSeparators(folder);
}

// Paths and arguments with their control bytes escaped, so that every line
// the program writes is one row.
void WriteEscaped(FILE* stream, const char* text) {
  char escaped[4096];  // written piece by piece
  while (*text) {
    text += EscapeControlBytes(text, escaped, sizeof escaped);
    WriteText(stream, escaped, TextOrigin::System);
  }
}

void ReportError(const char* message, const char* argument) {
  WriteText(stderr, "parvik-cli: ", TextOrigin::Program);
  WriteText(stderr, message, TextOrigin::Program);
  if (argument) WriteEscaped(stderr, argument);
  fputc('\n', stderr);
}

// The window inserts every row at the top, so it reads newest first. A file
// row is the path as the system spells it with two time stamps; everything
// else is the program's own text.
bool PrintRows() {
  for (size_t k = rowCount; k-- > 0;) {
    const Row& row = rows[k];
    if (row.itemData == TextRow)
      WriteText(stdout, row.text, TextOrigin::Program);
    else
      WriteEscaped(stdout, row.text);
    fputc('\n', stdout);
  }
  return fflush(stdout) == 0 && !ferror(stdout);
}

// What was left out is said so, or the list would look complete.
void ReportSkipped() {
  char line[128];
  if (searchState.skippedFiles > 0) {
    snprintf(line, sizeof line,
             "%u Datei(en) ließen sich nicht öffnen oder lesen und fehlen im Vergleich",
             static_cast<unsigned>(searchState.skippedFiles));
    ReportError(line, nullptr);
  }
  if (searchState.skippedFolders > 0) {
    snprintf(line, sizeof line,
             "%u Ordner ließen sich nicht durchsuchen und fehlen mit allem darin",
             static_cast<unsigned>(searchState.skippedFolders));
    ReportError(line, nullptr);
  }
  if (searchState.excludedFiles > 0 || searchState.excludedFolders > 0) {
    snprintf(line, sizeof line, "%u Datei(en) und %u Ordner mit --exclude übersprungen",
             static_cast<unsigned>(searchState.excludedFiles), static_cast<unsigned>(searchState.excludedFolders));
    ReportError(line, nullptr);
  }
}

}  // namespace

int main(int argc, char** argv) {
  argv = ProgramArguments(argc, argv);
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
  settings.id3Tag = options.noId3 ? 1 : 0;
  settings.logFile = 0;
  exclusions.count = 0;
  for (const std::string& entry : options.exclusions) AddExclusion(entry.c_str());

  searchState.running = 1;
  searchState.duplicateCount = 0;
  searchState.duplicateBytes = 0;
  fileTable.count = 0;
  CatchInterrupt();
  RunSearchSteps(static_cast<int>(options.folders.size()), CopySourceFolder, CollectRow);
  // A Ctrl+C while the rows are printed cuts nothing short.
  KeepWritingThroughInterrupt();
  bool interrupted = WasInterrupted();
  bool failed = EngineReportedFailure();
  searchState.running = 0;
  ShowFinalProgress();

  if (!PrintRows()) {
    ReportError("Die Ausgabe lässt sich nicht schreiben", nullptr);
    return ExitFailure;
  }
  ReportSkipped();
  if (interrupted) {
    // The list looks like a complete one; say that it is not.
    ReportError("Mit Strg+C abgebrochen, die Liste ist unvollständig", nullptr);
    return ExitInterrupted;
  }
  return failed ? ExitFailure : ExitComplete;
}
