#include "app/property_sheet.h"

#include <cstddef>

#include "app/module.h"
#include "res/resource.h"
#include "ui/main_page.h"
#include "version.h"

// The first versions of both records, which every comctl32 accepts: 40 bytes
// each in the 32-bit program.
constexpr UINT PageRecordSize =
    offsetof(PROPSHEETPAGEW, pcRefParent) + sizeof(PROPSHEETPAGEW::pcRefParent);
constexpr UINT HeaderRecordSize =
    offsetof(PROPSHEETHEADERW, pfnCallback) + sizeof(PROPSHEETHEADERW::pfnCallback);
#if !defined(_WIN64)
static_assert(PageRecordSize == 40 && HeaderRecordSize == 40, "first record versions");
#endif

// A Unicode sheet, so that its boxes and lists hold names in any script.
void DescribePropertySheet(PROPSHEETPAGEW* page, PROPSHEETHEADERW* header) {
  *page = {};
  page->dwSize = PageRecordSize;
  page->dwFlags = PSP_USETITLE | PSP_HASHELP;
  page->hInstance = moduleInstance;
  page->pszTemplate = L"" RES_MAIN_PAGE;
  page->pszIcon = nullptr;
  page->pszTitle = L"Parvik";
  page->pfnDlgProc = MainPageProc;
  page->lParam = 0;

  *header = {};
  header->dwSize = HeaderRecordSize;
  header->dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_HASHELP | PSH_NOCONTEXTHELP;
  header->hwndParent = nullptr;
  header->hInstance = moduleInstance;
  header->hIcon = nullptr;
  header->pszCaption = L"Parvik " PARVIK_VERSION;
  header->nPages = 1;
  header->nStartPage = 0;
  header->ppsp = page;
}

int ShowPropertySheet() {
  PROPSHEETPAGEW page;
  PROPSHEETHEADERW header;
  DescribePropertySheet(&page, &header);
  return static_cast<int>(PropertySheetW(&header));
}
