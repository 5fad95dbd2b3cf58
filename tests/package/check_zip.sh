#!/usr/bin/env bash
# Usage: check_zip.sh ZIP VERSION
set -uo pipefail
zip=$1 version=$2 failures=0 dir=$(mktemp -d)
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
trap 'rm -rf "$dir"' EXIT
[ "$(basename "$zip")" = "Parvik-$version-win32.zip" ] || fail "zip name $(basename "$zip")"
[ "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" = "LIESMICH.txt Parvik.exe parvik.chm " ] || fail "zip holds: $(unzip -Z1 "$zip")"
unzip -q "$zip" -d "$dir" || fail "unzip"
number_at() { od -An -tu"$3" -j"$2" -N"$3" --endian=little "$1" | tr -d ' '; }
exe=$dir/Parvik.exe pe=$(number_at "$dir/Parvik.exe" 60 4)
[ "$(head -c2 "$exe")" = MZ ] && [ "$(od -An -c -j"$pe" -N4 "$exe" | tr -d ' ')" = 'PE\0\0' ] || fail "Parvik.exe is no PE file"
[ "$(number_at "$exe" $((pe + 4)) 2)/$(number_at "$exe" $((pe + 24)) 2)" = 332/267 ] || fail "not PE32 for i386"
[ "$(number_at "$exe" $((pe + 92)) 2)" = 2 ] || fail "not a GUI program"
[ "$(head -c4 "$dir/parvik.chm" 2>/dev/null)" = ITSF ] || fail "parvik.chm is no help file"
text=$dir/LIESMICH.txt lines=$(wc -l <"$dir/LIESMICH.txt")
[ "$lines" -gt 20 ] && [ "$(grep -c $'\r$' "$text")" = "$lines" ] || fail "lines not ended by CR LF"
LC_ALL=C grep -q $'L\xf6schen' "$text" && ! LC_ALL=C grep -q $'\xc3' "$text" || fail "not Windows-1252"
for word in "Parvik $version" Parvik.INI Parvik.LOG BackUp /dir /filter; do grep -qF -- "$word" "$text" || fail "LIESMICH.txt lacks $word"; done
[ "$failures" -eq 0 ] && echo "release zip: all checks passed"
