// Resource names and the control ids of the main page. Shared by parvik.rc
// and the code, so it holds preprocessor constants only.
#pragma once

// The main page's dialog template and the icons.
#define RES_MAIN_PAGE "MAIN"
#define RES_OPEN_ICON "OPEN"
// Named so that it sorts before OPEN: Explorer shows the first icon group.
#define RES_APP_ICON "APPICON"

// Controls of the main page, known by these numbers.
#define IDC_START 100       // "&Start", "&Abbruch" while a search runs
#define IDC_PATH 101        // source path with its history
#define IDC_DUPLICATES 102  // duplicate count
#define IDC_FILES 103       // file count, "%d / %d" while grouping
#define IDC_BROWSE 104      // folder browser, shows the icon OPEN
#define IDC_SPARE_TEXT 105  // below the visible area, never written
#define IDC_ELAPSED 106     // "%d sec"
#define IDC_MEGABYTES 107   // megabytes of duplicates, "%.2f"
#define IDC_BACKUP 108      // move the marked files into BackUp
#define IDC_DELETE 109      // delete the marked files
#define IDC_LOG_FILE 110    // option logFile
#define IDC_SAME_NAME 111   // option sameName
#define IDC_FILTER 112      // file-name filter with its history
#define IDC_ADD 113         // add the path to the folder list
#define IDC_CLEAR 114       // empty the folder list
#define IDC_FOLDERS 115     // folder list
#define IDC_ID3_TAG 116     // option id3Tag
#define IDC_PROGRESS 117    // how far the comparison is; activity while listing
#define IDC_TIME_LEFT 118   // "noch etwa 3 min"

#define IDC_NONE -1

// The results window's context menu.
#define IDM_MARK_DUPLICATES 200  // "Alle Duplikate markieren"
#define IDM_CLEAR_MARKS 201      // "Markierung aufheben"
#define IDM_RECYCLE 202          // "In den Papierkorb legen", also the Del key
#define IDM_ALL_BUT_NEWEST 203   // "Alle außer dem neuesten markieren"
#define IDM_ALL_BUT_OLDEST 204   // "Alle außer dem ältesten markieren"
#define IDM_MARK_IN_FOLDER 205   // "Alle in diesem Ordner markieren"
#define IDM_INVERT_MARKS 206     // "Markierung umkehren"
#define IDM_OPEN_FILE 207        // "Öffnen"
#define IDM_SHOW_IN_FOLDER 208   // "Im Ordner zeigen"
#define IDM_PROTECT_FOLDER 209   // "Ordner schützen"
#define IDM_LIFT_PROTECTION 210  // "Schutz aller Ordner aufheben"
