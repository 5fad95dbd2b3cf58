#include "engine/search.h"

#include <cstdio>

#include "engine/group.h"
#include "engine/scan.h"
#include "engine/settings.h"
#include "engine/sort.h"

static void AddTimingRow(RowSink addRow, const char* format) {
  char row[64];
  snprintf(row, sizeof row, format, ElapsedSeconds());
  addRow(TextRow, row);
}

void FindDuplicateGroups(int folderCount, FolderSource folderAt, RowSink addRow) {
  ClearFileTable();
  searchState.skippedFiles = 0;
  searchState.skippedFolders = 0;
  searchState.excludedFiles = 0;
  searchState.excludedFolders = 0;
  addRow(TextRow, "---");
  searchState.startTime = platform.clockSeconds();
  if (folderCount < 1) {
    ScanDirectory(settings.currentPath);
  } else {
    for (int i = 0; i < folderCount; i++) {
      folderAt(i, settings.currentPath);
      ScanDirectory(settings.currentPath);
    }
  }
  AddTimingRow(addRow, "scan:%d sec");
  SortBySize(0, static_cast<int32_t>(fileTable.count) - 1);
  AddTimingRow(addRow, "qsort:%d sec");
  addRow(TextRow, "---");
  FindDuplicates();
}

void AddGroupRows(RowSink addRow) {
  ListDuplicateGroups(addRow);
  AddTimingRow(addRow, "end:%d sec");
}

void RunSearchSteps(int folderCount, FolderSource folderAt, RowSink addRow) {
  FindDuplicateGroups(folderCount, folderAt, addRow);
  AddGroupRows(addRow);
}

void AddRunNoteRows(RowSink addRow, bool cancelled) {
  if (searchState.skippedFiles > 0 || searchState.skippedFolders > 0) {
    char row[160];
    snprintf(row, sizeof row, "Ausgelassen: %u Datei(en) und %u Ordner (nicht lesbar, verändert oder Pfad zu lang)",
             static_cast<unsigned>(searchState.skippedFiles), static_cast<unsigned>(searchState.skippedFolders));
    addRow(TextRow, row);
  }
  if (searchState.excludedFiles > 0 || searchState.excludedFolders > 0) {
    char row[96];
    snprintf(row, sizeof row, "Ausgeschlossen: %u Datei(en) und %u Ordner",
             static_cast<unsigned>(searchState.excludedFiles), static_cast<unsigned>(searchState.excludedFolders));
    addRow(TextRow, row);
  }
  if (cancelled) addRow(TextRow, "Abgebrochen, die Liste ist unvollständig");
}
