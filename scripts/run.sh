#!/usr/bin/env bash
# Installs what is missing, builds Parvik.exe and starts it under Wine on the
# current display, passing the arguments on, e.g.:  scripts/run.sh /dir "D:\Musik"
# A Unix path after /dir is handed to the program as its Wine path.
# Without a display it searches with the console front end instead.
set -euo pipefail
. "$(dirname "$0")/env.sh"

"$PARVIK_ROOT/scripts/setup.sh"

if [ -z "${DISPLAY:-}" ]; then
  echo "Kein Display (DISPLAY ist leer): Parvik.exe braucht ein Fenster, die Suche läuft mit parvik-cli." >&2
  build_native "$PARVIK_BUILD/native-release" -DCMAKE_BUILD_TYPE=Release -DPARVIK_TESTS=OFF >/dev/null
  folders=()
  while [ $# -gt 0 ]; do
    case "$1" in
      /dir) folders+=("${2:-.}"); shift 2 || shift ;;
      /filter) filter=${2:-*.*}; shift 2 || shift ;;
      *) shift ;;
    esac
  done
  [ ${#folders[@]} -eq 0 ] && folders=(.)
  exec "$PARVIK_BUILD/native-release/parvik-cli" --filter "${filter:-*.*}" "${folders[@]}"
fi

build_windows windows Release OFF >/dev/null
program_folder=windows
if ! runs_32bit_code; then
  echo "Dieser Rechner führt keinen 32-Bit-x86-Code aus: gestartet wird der 64-Bit-Build derselben Quellen." >&2
  program_folder=windows64
  build_windows windows64 Release OFF >/dev/null
fi
prepare_wine
wine=wine
[ "$program_folder" = windows64 ] && wine=/usr/lib/wine/wine64

# Wine would escape the quotes around a switch's value; a batch file passes
# the command line exactly as written.
line="Parvik.exe"
while [ $# -gt 0 ]; do
  case "$1" in
    /dir|/filter)
      value=${2-}
      if [ "$1" = /dir ] && [ "${value:0:1}" = / ]; then value=$("$wine" winepath -w "$value" 2>/dev/null); fi
      line+=" $1 \"$value\""
      shift 2 || shift ;;
    *) line+=" $1"; shift ;;
  esac
done
launcher="$PARVIK_BUILD/$program_folder/launch-parvik.bat"
printf '@echo off\r\n%s\r\n' "$line" | iconv -f UTF-8 -t CP1252 > "$launcher"
cd "$PARVIK_BUILD/$program_folder"
exec "$wine" cmd.exe /c launch-parvik.bat
