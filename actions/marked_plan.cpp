#include "actions/marked_plan.h"

#include "actions/protection.h"
#include "engine/listing.h"

MarkedPlan PlanMarkedRows(const std::vector<ListedRow>& rows) {
  MarkedPlan plan = {rows, std::vector<int>(rows.size(), -1), {}, {}, {}, 0, false, 0};
  for (ListedRow& row : plan.rows) {
    const FileEntry* entry = row.marked ? ListedEntry(row.fileIndex) : nullptr;
    if (entry != nullptr && IsProtectedPath(entry->path)) {
      row.marked = false;
      plan.protectedFiles++;
    }
  }
  bool inGroup = false;
  for (size_t r = 0; r < rows.size(); r++) {
    if (rows[r].fileIndex < 0) {
      inGroup = false;
      continue;
    }
    if (!inGroup) {
      plan.firstRowOf.push_back(static_cast<int>(r));
      plan.filesInGroup.push_back(0);
      plan.markedInGroup.push_back(0);
      inGroup = true;
    }
    int group = static_cast<int>(plan.filesInGroup.size()) - 1;
    plan.groupOf[r] = group;
    plan.filesInGroup[group]++;
    if (plan.rows[r].marked) plan.markedInGroup[group]++;
  }
  for (size_t g = 0; g < plan.filesInGroup.size(); g++)
    if (plan.markedInGroup[g] == plan.filesInGroup[g]) plan.groupsLosingEveryCopy++;
  return plan;
}

RowVerdict DecideMarkedRow(const MarkedPlan& plan, int row, StillAsListedCheck stillAsListed, void* context) {
  const ListedRow& listed = plan.rows[row];
  if (!listed.marked || listed.fileIndex < 0) return RowVerdict::Skip;
  int group = plan.groupOf[row];
  bool everyCopy = plan.markedInGroup[group] == plan.filesInGroup[group];
  if (everyCopy && !plan.everyCopyAgreed) return RowVerdict::Keep;
  if (!stillAsListed(listed.fileIndex, context)) return RowVerdict::Stays;
  if (everyCopy) return RowVerdict::Go;
  // Checked now, just before the file goes: the kept copy may have changed or
  // vanished since the search.
  int first = plan.firstRowOf[group];
  for (int r = first; r < first + plan.filesInGroup[group]; r++)
    if (!plan.rows[r].marked && stillAsListed(plan.rows[r].fileIndex, context)) return RowVerdict::Go;
  return RowVerdict::Stays;
}
