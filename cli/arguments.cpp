#include "cli/arguments.h"

#include <algorithm>
#include <cstring>

#include "engine/text.h"

const char CliUsage[] =
    "Aufruf: parvik-cli [Optionen] Ordner...\n"
    "\n"
    "Durchsucht die Ordner samt allen Unterordnern nach Dateien mit gleichem\n"
    "Inhalt (Byte für Byte verglichen) und gibt die Gruppen so aus, wie das\n"
    "Ergebnisfenster von Parvik sie zeigt, eine Zeile je Eintrag: oben die\n"
    "größten Dateien, jede Gruppe eingeleitet von einer Leerzeile und\n"
    "\"-- Länge:... Byte --\", darunter je Datei\n"
    "\"file:Pfad    create:Datum  Zeit    write:Datum  Zeit\".\n"
    "Ordner namens $RECYCLE.BIN, RECYCLER und System Volume Information\n"
    "(Papierkorb und Systemdaten von Windows) werden übergangen, außer der\n"
    "angegebene Ordner liegt selbst in einem davon.\n"
    "\n"
    "Optionen:\n"
    "  --filter MUSTER    nur Dateien, deren Name zum Muster passt, mit * und ?\n"
    "                     wie unter Windows (Standard: *.*, also alle Dateien;\n"
    "                     Beispiel: --filter \"*.jpg\")\n"
    "  --min-size BYTES   nur Dateien, die größer als BYTES sind (Standard: 0,\n"
    "                     leere Dateien also nie)\n"
    "  --same-name        Duplikate müssen auch denselben Dateinamen haben\n"
    "                     (nur bei A bis Z zählt die Schreibweise nicht)\n"
    "  --no-id3           MPEG-Audiodateien ohne ihre Tags vergleichen: ohne das\n"
    "                     ID3v1-Tag (die letzten 128 Bytes, wenn sie mit \"TAG\"\n"
    "                     beginnen), ein APE-Tag davor oder am Dateiende und das\n"
    "                     ID3v2-Tag am Anfang (Kopf, Inhalt und bei Version 2.4\n"
    "                     die Fußzeile \"3DI\"). Dieselbe Musik mit anderen Tags\n"
    "                     gilt so als doppelt. Als MPEG-Audio gilt eine Datei nach\n"
    "                     ihrem Inhalt, nicht nach ihrem Namen: sie beginnt mit\n"
    "                     einem ID3v2-Kopf (\"ID3\") oder mit einem MPEG-Audio-\n"
    "                     Rahmenkopf, dem dort, wo seine Länge endet, ein zweiter\n"
    "                     gleicher Art folgt. Gruppiert wird nach der verglichenen\n"
    "                     Länge; --min-size gilt weiter für die ganze Datei.\n"
    "                     Andere Dateien, Dateien nur aus Tags und solche mit\n"
    "                     beschädigtem ID3v2-Kopf oder einer ID3v2-Version über\n"
    "                     2.4 werden ganz verglichen; Byte für Byte gleiche\n"
    "                     Dateien sind also immer Duplikate.\n"
    "  --exclude MUSTER   überspringt, was zum Muster passt; mehrfach möglich.\n"
    "                     Ein Muster mit \\ oder / ist ein Ordner, der samt allem\n"
    "                     darunter übergangen wird (so geschrieben, wie die Suche\n"
    "                     ihn nennt); sonst ein Namensmuster mit * und ? wie beim\n"
    "                     Filter, für Datei- und Ordnernamen in jeder Tiefe\n"
    "                     (Beispiele: --exclude node_modules --exclude \"*.tmp\")\n"
    "  -h, --help         diese Hilfe\n"
    "  --                 alles Weitere sind Ordner\n"
    "\n"
    "Steuerzeichen in Pfaden werden als %HH ausgegeben (ein Zeilenumbruch als\n"
    "%0A), ein % selbst als %25; so ist jede Zeile genau ein Eintrag.\n"
    "\n"
    "Der Fortschritt erscheint auf stderr, wenn stderr ein Terminal ist.\n"
    "Dateien, die sich nicht öffnen oder lesen ließen (gesperrt, keine\n"
    "Berechtigung, seit der Suche verändert, Pfad zu lang), fehlen im\n"
    "Vergleich; ihre Anzahl steht nach der Liste in einer Zeile auf stderr.\n"
    "Ebenso Ordner, die sich nicht auflisten ließen oder deren Pfad zu lang\n"
    "ist: sie fehlen mit allem darin, ihre Anzahl steht in einer eigenen Zeile.\n"
    "Was --exclude übersprang, zählt eine weitere Zeile, nur wenn es etwas gab.\n"
    "Strg+C bricht die Suche ab; die bis dahin gefundenen Gruppen werden noch\n"
    "ausgegeben. Ein zweites Strg+C beendet das Programm sofort.\n"
    "\n"
    "Exit-Status:\n"
    "  0    Suche zu Ende geführt (fehlende Dateien nennt stderr, siehe oben)\n"
    "  1    zu wenig Speicher (Meldung auf stderr; die Liste kann unvollständig\n"
    "       sein) oder die Ausgabe ließ sich nicht schreiben\n"
    "  2    falsche Argumente, ein Ordner, den es nicht gibt, oder Ordner und\n"
    "       Filter zusammen länger als 259 Zeichen\n"
    "  130  mit Strg+C abgebrochen; die Liste zeigt, was bis dahin gefunden war\n";

namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

bool Fail(CliError* error, const char* message, const char* argument) {
  error->message = message;
  error->argument = argument;
  return false;
}

// Accepts plain decimal digits up to 4294967295; signs, spaces and suffixes
// are refused rather than guessed at.
bool ParseSize(const char* text, uint32_t* size) {
  if (*text == '\0') return false;
  uint64_t value = 0;
  for (const char* c = text; *c; ++c) {
    if (*c < '0' || *c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(*c - '0');
    if (value > UINT32_MAX) return false;
  }
  *size = static_cast<uint32_t>(value);
  return true;
}

bool SetFilter(const char* value, CliOptions* options, CliError* error) {
  if (*value == '\0') return Fail(error, "Der Filter ist leer", nullptr);
  if (strchr(value, '/') || strchr(value, '\\'))
    return Fail(error, "Der Filter gilt nur für Dateinamen, ohne Ordner: ", value);
  if (PathCharacters(value) >= MaxPath || !CopyText(options->filter, sizeof options->filter, value))
    return Fail(error, "Der Filter ist zu lang (höchstens 259 Zeichen): ", value);
  return true;
}

bool AddExclusionText(const char* value, CliOptions* options, CliError* error) {
  if (*value == '\0') return Fail(error, "Das Muster nach --exclude ist leer", nullptr);
  if (PathCharacters(value) >= MaxPath)
    return Fail(error, "Das Muster nach --exclude ist zu lang (höchstens 259 Zeichen): ", value);
  options->exclusions.push_back(value);
  return true;
}

bool AddFolder(const char* value, CliOptions* options, CliError* error) {
  if (*value == '\0') return Fail(error, "Leerer Ordnername", nullptr);
  if (PathCharacters(value) >= MaxPath)
    return Fail(error, "Der Ordnerpfad ist zu lang (höchstens 259 Zeichen): ", value);
  options->folders.push_back(value);
  return true;
}

// The scan lists "folder<sep>filter" and "folder<sep>*.*"; a pattern that
// does not fit in MaxPath cannot be listed, and the folder would be searched
// for nothing.
bool FitsListingPattern(const std::string& folder, const char* filter) {
  size_t length = folder.size();
  while (length > 0 && IsSeparator(folder[length - 1])) length--;
  size_t mask = std::max<size_t>(PathCharacters(filter), strlen("*.*"));
  return PathCharacters(folder.substr(0, length).c_str()) + 1 + mask < MaxPath;
}

// "--name=value" or "--name value"; returns the value or null.
const char* OptionValue(const char* name, int argc, const char* const* argv, int* index) {
  const char* arg = argv[*index];
  size_t length = strlen(name);
  if (strncmp(arg, name, length) != 0) return nullptr;
  if (arg[length] == '=') return arg + length + 1;
  if (arg[length] != '\0' || *index + 1 >= argc) return nullptr;
  return argv[++*index];
}

bool IsOption(const char* arg, const char* name) {
  size_t length = strlen(name);
  return strncmp(arg, name, length) == 0 && (arg[length] == '\0' || arg[length] == '=');
}

}  // namespace

bool ParseCliArguments(int argc, const char* const* argv, CliOptions* options, CliError* error) {
  options->folders.clear();
  options->exclusions.clear();
  CopyText(options->filter, sizeof options->filter, "*.*");
  options->minSize = 0;
  options->sameName = false;
  options->noId3 = false;
  options->help = false;
  *error = CliError{nullptr, nullptr};

  bool optionsEnded = false;
  for (int i = 1; i < argc; i++) {
    if (!optionsEnded && (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0)) {
      options->help = true;
      return true;
    }
    if (!optionsEnded && strcmp(argv[i], "--") == 0) optionsEnded = true;
  }

  optionsEnded = false;
  for (int i = 1; i < argc; i++) {
    const char* arg = argv[i];
    if (optionsEnded || arg[0] != '-') {
      if (!AddFolder(arg, options, error)) return false;
    } else if (strcmp(arg, "--") == 0) {
      optionsEnded = true;
    } else if (strcmp(arg, "--same-name") == 0) {
      options->sameName = true;
    } else if (strcmp(arg, "--no-id3") == 0) {
      options->noId3 = true;
    } else if (IsOption(arg, "--filter")) {
      const char* value = OptionValue("--filter", argc, argv, &i);
      if (!value) return Fail(error, "Nach --filter fehlt das Muster", nullptr);
      if (!SetFilter(value, options, error)) return false;
    } else if (IsOption(arg, "--exclude")) {
      const char* value = OptionValue("--exclude", argc, argv, &i);
      if (!value) return Fail(error, "Nach --exclude fehlt das Muster", nullptr);
      if (!AddExclusionText(value, options, error)) return false;
    } else if (IsOption(arg, "--min-size")) {
      const char* value = OptionValue("--min-size", argc, argv, &i);
      if (!value) return Fail(error, "Nach --min-size fehlt die Größe in Bytes", nullptr);
      if (!ParseSize(value, &options->minSize))
        return Fail(error, "--min-size erwartet eine ganze Zahl von 0 bis 4294967295: ", value);
    } else {
      return Fail(error, "Unbekannte Option (Hilfe: parvik-cli --help): ", arg);
    }
  }
  if (options->folders.empty())
    return Fail(error, "Kein Ordner angegeben (Hilfe: parvik-cli --help)", nullptr);
  for (const std::string& folder : options->folders) {
    if (!FitsListingPattern(folder, options->filter))
      return Fail(error,
                  "Ordner und Filter sind zusammen zu lang (höchstens 259 Zeichen): ",
                  folder.c_str());
  }
  return true;
}

void TrimTrailingSeparators(char* folder) {
  size_t length = strlen(folder);
  while (length > 0 && IsSeparator(folder[length - 1])) folder[--length] = '\0';
}
