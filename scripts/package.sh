#!/usr/bin/env bash
# Builds the 32-bit release and writes build/Parvik-<version>-win32.zip with
# Parvik.exe, parvik.chm and LIESMICH.txt (Windows-1252, CR LF). The version
# is the one in CMakeLists.txt's project().
set -euo pipefail
. "$(dirname "$0")/env.sh"

"$PARVIK_ROOT/scripts/setup.sh"

version=$(project_version)
[ -n "$version" ] || { echo "package.sh: no version in CMakeLists.txt" >&2; exit 1; }

# A folder of its own, so the test builds keep their configuration.
build_windows release-win32 Release OFF >/dev/null
release=$PARVIK_BUILD/release-win32
for file in Parvik.exe parvik.chm; do
  [ -f "$release/$file" ] || { echo "package.sh: $file was not built" >&2; exit 1; }
done

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$release/Parvik.exe" "$stage/Parvik.exe"
i686-w64-mingw32-strip "$stage/Parvik.exe"
cp "$release/parvik.chm" "$stage/parvik.chm"
sed "s/@VERSION@/$version/" "$PARVIK_ROOT/res/LIESMICH.txt" | iconv -f UTF-8 -t CP1252 |
  sed 's/$/\r/' >"$stage/LIESMICH.txt"

zip_path=$PARVIK_BUILD/Parvik-$version-win32.zip
rm -f "$zip_path"
(cd "$stage" && TZ=UTC zip -q -X "$zip_path" Parvik.exe parvik.chm LIESMICH.txt)
echo "$zip_path"
