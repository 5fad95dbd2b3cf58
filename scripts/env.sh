# Shared settings of the build and run scripts (sourced, not run).
PARVIK_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
PARVIK_BUILD=${PARVIK_BUILD:-$PARVIK_ROOT/build}
export WINEPREFIX=${PARVIK_WINEPREFIX:-$HOME/.cache/parvik/wine}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers: the program needs neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

jobs() { nproc 2>/dev/null || echo 2; }

# The program's version, from project() in CMakeLists.txt, its one source.
project_version() {
  sed -nE 's/^project\(Parvik VERSION ([0-9.]+).*/\1/p' "$PARVIK_ROOT/CMakeLists.txt"
}

# The Windows program and its tests, cross-compiled: `windows` is the shipped
# 32-bit build, `windows64` the same sources as 64-bit code.
build_windows() {
  local folder=$1 type=${2:-Release} tests=${3:-ON} toolchain=mingw-w64-i686
  [ "$folder" = windows64 ] && toolchain=mingw-w64-x86_64
  cmake -S "$PARVIK_ROOT" -B "$PARVIK_BUILD/$folder" -DCMAKE_BUILD_TYPE="$type" \
    -DPARVIK_TESTS="$tests" -DCMAKE_TOOLCHAIN_FILE="$PARVIK_ROOT/cmake/$toolchain.cmake" >/dev/null
  cmake --build "$PARVIK_BUILD/$folder" -j"$(jobs)"
}

# True when this machine runs 32-bit x86 code (some kernels are built
# without it; Wine then runs only 64-bit Windows programs).
runs_32bit_code() {
  [ -x /usr/lib/wine/wine ] || return 1
  /usr/lib/wine/wine --version >/dev/null 2>&1
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
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
  fi
  # Xvfb has no window manager; unmanaged windows keep Wine from waiting for one.
  if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    wineserver -w || true
  fi
}
