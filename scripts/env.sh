# Shared settings of the build and run scripts (sourced, not run).
PARVIK_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
PARVIK_BUILD=${PARVIK_BUILD:-$PARVIK_ROOT/build}
export WINEPREFIX=${PARVIK_WINEPREFIX:-$HOME/.cache/parvik/wine}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers: the program needs neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win32

jobs() { nproc 2>/dev/null || echo 2; }

# The 32-bit Windows program and its tests, cross-compiled.
build_windows() {
  local type=${1:-Release} tests=${2:-ON}
  cmake -S "$PARVIK_ROOT" -B "$PARVIK_BUILD/windows" -DCMAKE_BUILD_TYPE="$type" \
    -DPARVIK_TESTS="$tests" -DCMAKE_TOOLCHAIN_FILE="$PARVIK_ROOT/cmake/mingw-w64-i686.cmake" >/dev/null
  cmake --build "$PARVIK_BUILD/windows" -j"$(jobs)"
}

# The engine, the platform layer, the console front end and their tests.
build_native() {
  local dir=$1; shift
  cmake -S "$PARVIK_ROOT" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$(jobs)"
}

prepare_wine() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    echo "Preparing the Wine prefix in $WINEPREFIX (once)"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
  fi
}
