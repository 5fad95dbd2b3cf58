#!/usr/bin/env bash
# Times parvik-cli against jdupes, fdupes, rmlint and rdfind on generated data,
# checks that all five find the same groups, and runs the Windows build (the
# console build and the window) under Wine.
# Installs nothing; not part of CI. See bench/README.md.
#
#   bench/run.sh [options] [DATA_FOLDER]      (default /tmp/parvik-bench)
#     --quick             small data sets, for trying the script out
#     --large-mib LO-HI   file sizes of the large set in MiB (default 64-200)
#     --runs N            timed runs per tool and set (default 5; large: 3)
#     --sets "A B ..."    of small large samesize many runsize runpairs copies deep
#                         (default all but deep)
#     --no-wine           skip the Windows build and its runs
#     --no-memory-cases   skip the 32-bit memory cases (photos, identical, late)
#     --scale             also 1,000,000 files (4 GiB of disk) in a 2 GiB address space
#     --before BINARY     also time an earlier parvik-cli (row "parvik-before")
#     --limit SECONDS     stop any tool's run after this long (reported as such)
#     --keep              keep the generated data (it is deleted otherwise)
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BENCH="$ROOT/bench"
BUILD="$ROOT/build/bench"
RESULTS="$BUILD/results"
DATA=/tmp/parvik-bench
QUICK=0 KEEP=0 WINE_RUNS=1 MEMORY_CASES=1 SCALE=0 RUNS=5 LARGE_LO=64 LARGE_HI=200 BEFORE= LIMIT=
SETS="small large samesize many runsize runpairs copies"

while [ $# -gt 0 ]; do
  case "$1" in
    --quick) QUICK=1 ;;
    --keep) KEEP=1 ;;
    --no-wine) WINE_RUNS=0 ;;
    --no-memory-cases) MEMORY_CASES=0 ;;
    --scale) SCALE=1 ;;
    --runs) RUNS=$2; shift ;;
    --sets) SETS=$2; shift ;;
    --before) BEFORE=$(realpath "$2"); shift ;;
    --limit) LIMIT=$2; shift ;;
    --large-mib) LARGE_LO=${2%-*}; LARGE_HI=${2#*-}; shift ;;
    -h|--help) sed -n '2,19p' "$0"; exit 0 ;;
    -*) echo "run.sh: unknown option $1" >&2; exit 2 ;;
    *) DATA=$1 ;;
  esac
  shift
done
DATA=$(realpath -m "$DATA")

# Sizes: the full run stays well under 30 minutes on two cores.
if [ $QUICK = 1 ]; then
  SMALL_COUNT=5000 LARGE_COUNT=6 LARGE_LO=5 LARGE_HI=20 SAME_COUNT=300 MANY_COUNT=20000 RUN_COUNT=8192
  DEEP_CHAINS=40 PHOTO_COUNT=200 IDENTICAL_COUNT=6 RUNS=2 COPY_COUNT=100
else
  SMALL_COUNT=20000 LARGE_COUNT=10 SAME_COUNT=1510 MANY_COUNT=300000 DEEP_CHAINS=200
  PHOTO_COUNT=2000 IDENTICAL_COUNT=30 RUN_COUNT=65536 COPY_COUNT=1000
fi
SAME_SIZE=524288

die() { echo "run.sh: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null || die "$1 is missing (Debian package: $2)"; }
case $DATA in *[[:space:]]*) die "the data folder must not contain blanks: $DATA" ;; esac
need cmake cmake
need python3 python3
need jdupes jdupes
need fdupes fdupes
need rmlint rmlint
need rdfind rdfind
need hyperfine hyperfine
[ -x /usr/bin/time ] || die "/usr/bin/time is missing (Debian package: time)"
if [ $WINE_RUNS = 1 ]; then
  need wine wine
  need i686-w64-mingw32-g++ g++-mingw-w64-i686
  need xvfb-run xvfb
fi

# Disk: the large set is the big one; about (LO+HI)/2 MiB per file.
need_mib=$(( LARGE_COUNT * (LARGE_LO + LARGE_HI) / 2 + SMALL_COUNT * 12 / 1024 + SAME_COUNT / 2
             + MANY_COUNT * 4 / 1024 + COPY_COUNT + 512 + 3000 ))
mkdir -p "$DATA"
avail_mib=$(( $(df -Pk "$DATA" | awk 'NR==2 {print $4}') / 1024 ))
[ "$avail_mib" -gt "$need_mib" ] ||
  die "needs about $need_mib MiB in $DATA, $avail_mib MiB free (try --large-mib 20-100)"

echo "== building parvik-cli (Release)"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DPARVIK_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target parvik-cli -j2 >/dev/null
CLI="$BUILD/parvik-cli"
if [ $WINE_RUNS = 1 ]; then
  cmake -S "$ROOT" -B "$BUILD/win32" -DCMAKE_BUILD_TYPE=Release -DPARVIK_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-i686.cmake" >/dev/null
  cmake --build "$BUILD/win32" --target parvik-cli Parvik -j2 >/dev/null
  CXX_WIN=i686-w64-mingw32-g++
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # Prefixes of our own, so stopping their server touches nobody else's.
  export WINEPREFIX="$BUILD/wine32" WINEARCH=win32
  WINE=wine EXE="$BUILD/win32/parvik-cli.exe" WINE_KIND="32-bit (i686)"
  if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    # Some kernels run no 32-bit x86 code at all (no IA-32 emulation), and so
    # no 32-bit Wine: the same sources then run as a 64-bit Windows program.
    echo "== 32-bit Windows programs do not run here; using the 64-bit Windows build"
    [ -x /usr/lib/wine/wine64 ] || die "wine64 is missing (Debian package: wine64)"
    cmake -S "$ROOT" -B "$BUILD/win64" -DCMAKE_BUILD_TYPE=Release -DPARVIK_TESTS=OFF \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
    cmake --build "$BUILD/win64" --target parvik-cli Parvik -j2 >/dev/null
    export WINEPREFIX="$BUILD/wine64" WINEARCH=win64
    WINE=/usr/lib/wine/wine64 EXE="$BUILD/win64/parvik-cli.exe" WINE_KIND="64-bit (x86-64)"
    CXX_WIN=x86_64-w64-mingw32-g++
  fi
  GUI="$(dirname "$EXE")/Parvik.exe"
  # Drives the window from outside: start, click, wait for the rows.
  "$CXX_WIN" -O2 -static -o "$(dirname "$EXE")/window_run.exe" "$BENCH/window_run.cpp" \
    -lcomctl32 -lpsapi
  DRIVER="$(dirname "$EXE")/window_run.exe"
fi

# Wine's drive Z: is the Unix root. (hyperfine -N splits its commands like a
# shell, so a Windows path in one goes in single quotes.)
windows_path() { echo "Z:${1//\//\\}"; }

rm -rf "$RESULTS"
mkdir -p "$RESULTS"

make_set() {  # name, [generator,] generator arguments...
  local name=$1 kind=$1; shift
  case ${1:-} in -*|"") ;; *) kind=$1; shift ;; esac
  [ -e "$DATA/$name/.complete" ] && return
  echo "== writing data set $name"
  rm -rf "${DATA:?}/$name"
  python3 "$BENCH/make_data.py" "$kind" "$DATA/$name" "$@"
  touch "$DATA/$name/.complete"
}

# Peak memory (KiB, from GNU time) and bytes read (rchar: every byte that
# read() and its kin returned, page cache or not) of one run, plus its output.
# A reaped child's I/O counters are added to its parent's, so the subshell
# reads its own /proc entry before and after.
own_rchar() {  # into RCHAR: of the calling (sub)shell itself, so builtins only
  local key value
  while read -r key value; do
    if [ "$key" = rchar: ]; then RCHAR=$value; fi
  done <"/proc/$BASHPID/io"
}

measure() {  # label, command...
  local label=$1; shift
  (
    own_rchar
    before=$RCHAR
    set +e
    /usr/bin/time -f %M -o "$RESULTS/$label.rss" "$@" >"$RESULTS/$label.out" 2>"$RESULTS/$label.err"
    echo $? >"$RESULTS/$label.status"
    own_rchar
    echo $((RCHAR - before)) >"$RESULTS/$label.rchar"
  )
}

canonical() {  # label, format
  python3 "$BENCH/groups.py" "$2" "$RESULTS/$1.out" >"$RESULTS/$1.groups"
}

warm_cache() {  # every file of a folder into the page cache
  find "$1" -type f -exec cat {} + >/dev/null
}

compare_set() {  # set, directory, runs, warm-up runs
  local set=$1 dir=$2 runs=$3 warmup=$4
  local -a names=(parvik-cli jdupes fdupes rmlint rdfind)
  local -a commands=(
    "$CLI $dir"
    "jdupes -r -q $dir"
    "fdupes -r -n -q $dir"
    "rmlint -T df --algorithm=paranoid --hidden -o fdupes $dir"
    "rdfind -makeresultsfile true -outputname $RESULTS/$set.rdfind.results $dir"
  )
  if [ -n "$BEFORE" ]; then names+=(parvik-before); commands+=("$BEFORE $dir"); fi
  # A run that passes the limit is killed; hyperfine then times it at the limit.
  local -a ignore=()
  if [ -n "$LIMIT" ]; then
    for k in "${!commands[@]}"; do commands[$k]="timeout -s KILL $LIMIT ${commands[$k]}"; done
    ignore=(-i)
  fi
  # Candidate bytes: the files (larger than 0 bytes) that share their size
  # with another, every one of which a byte-exact tool must read whole.
  python3 -c 'import collections, os, sys
sizes = collections.Counter(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(sys.argv[1]) for f in fs)
print(sum(s * n for s, n in sizes.items() if s > 0 and n > 1))' "$dir" >"$RESULTS/$set.candidates"
  echo "== $set: timing (hyperfine, warm cache, $runs runs each)"
  warm_cache "$dir"
  local -a args=()
  for k in "${!names[@]}"; do args+=(-n "${names[$k]}" "${commands[$k]}"); done
  hyperfine -N "${ignore[@]}" --warmup "$warmup" --runs "$runs" --export-json "$RESULTS/$set.json" "${args[@]}" \
    >"$RESULTS/$set.hyperfine.txt"
  echo "== $set: memory, bytes read and groups"
  for k in "${!names[@]}"; do
    # shellcheck disable=SC2086  # the command strings hold no spaces but separators
    measure "$set.${names[$k]}" ${commands[$k]}
    local format=fdupes
    case ${names[$k]} in parvik-*) format=parvik ;; esac
    if [ "${names[$k]}" = rdfind ]; then
      format=rdfind
      cp "$RESULTS/$set.rdfind.results" "$RESULTS/$set.rdfind.out"
    fi
    canonical "$set.${names[$k]}" $format
  done
}

# The slow sets get three timed runs and no warm-up run beyond reading every
# file once; the quick ones five and one.
LONG_RUNS=$(( RUNS < 3 ? RUNS : 3 ))
for set in $SETS; do
  case $set in
    small) make_set small --count "$SMALL_COUNT"; compare_set small "$DATA/small" "$RUNS" 1 ;;
    large)
      make_set large --count "$LARGE_COUNT" --low-mib "$LARGE_LO" --high-mib "$LARGE_HI"
      compare_set large "$DATA/large" "$LONG_RUNS" 0 ;;
    samesize)
      make_set samesize --count "$SAME_COUNT" --size "$SAME_SIZE"
      compare_set samesize "$DATA/samesize" "$LONG_RUNS" 0 ;;
    many) make_set many --count "$MANY_COUNT"; compare_set many "$DATA/many" "$LONG_RUNS" 0 ;;
    # One run of four-byte files: all distinct, or with a few identical pairs.
    runsize) make_set runsize --count "$RUN_COUNT"; compare_set runsize "$DATA/runsize" "$LONG_RUNS" 0 ;;
    runpairs)
      make_set runpairs runsize --count "$RUN_COUNT" --pairs $(( RUN_COUNT / 128 ))
      compare_set runpairs "$DATA/runpairs" "$LONG_RUNS" 0 ;;
    # Many copies of one file, and files that agree up to their last byte.
    copies) make_set copies --count "$COPY_COUNT"; compare_set copies "$DATA/copies" "$LONG_RUNS" 0 ;;
    deep) make_set deep --count "$DEEP_CHAINS"; compare_set deep "$DATA/deep" "$RUNS" 1 ;;
    *) die "unknown set $set" ;;
  esac
done

if [ $WINE_RUNS = 1 ]; then
  "$WINE" "$EXE" --help >/dev/null 2>&1 || true  # creates the prefix, once
  # The server stays up between runs, so no run pays for its start.
  wineserver -k 2>/dev/null || true
  wineserver -p
  trap 'wineserver -k 2>/dev/null || true' EXIT
  echo "$WINE_KIND" >"$RESULTS/wine.kind"
  make_set small --count "$SMALL_COUNT"
  part="$DATA/small"
  echo "== Wine: parvik-cli.exe, $WINE_KIND, beside the native build on $part"
  hyperfine -N --warmup 1 --runs "$RUNS" --export-json "$RESULTS/wine.json" \
    -n "parvik-cli (native)" "$CLI $part" \
    -n "parvik-cli.exe (Wine)" "$WINE $EXE '$(windows_path "$part")'" \
    -n "Wine start alone (--help)" "$WINE $EXE --help" >"$RESULTS/wine.hyperfine.txt"
  measure wine.native "$CLI" "$part"
  canonical wine.native parvik
  measure wine.exe "$WINE" "$EXE" "$(windows_path "$part")"
  canonical wine.exe parvik
  measure wine.start "$WINE" "$EXE" --help

  # The window needs a display; Xvfb without a window manager, and Wine told
  # not to wait for one. Its desktop process belongs to this display, so the
  # server starts and ends with it.
  echo "== Wine: the window (Parvik.exe) on $part"
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  wineserver -k 2>/dev/null || true
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    for run in $(seq "$1"); do "$2" "$3" "$4" "$5"; done
    wineserver -k' - "$RUNS" "$WINE" "$DRIVER" "$(windows_path "$GUI")" "$(windows_path "$part")" \
    >"$RESULTS/window.runs" 2>"$RESULTS/window.err" || true
  wineserver -p

  # The two cases of a 32-bit process: many files of one size that differ
  # (sparse, like raw photos: their own first 64 KiB each, then a hole) and
  # identical large files with real content.
fi

if [ $WINE_RUNS = 1 ] && [ $MEMORY_CASES = 1 ]; then
  echo "== 32-bit memory cases"
  make_set photos --count "$PHOTO_COUNT"
  make_set identical --count "$IDENTICAL_COUNT"
  make_set late --count "$PHOTO_COUNT"
  # Files of one size that agree up to a random offset: the cache of every
  # later file fills up to where it differs, all at once.
  measure limited.late timeout -s INT 300 bash -c 'ulimit -v 2097152 && exec "$@"' - \
    "$CLI" "$DATA/late"
  canonical limited.late parvik
  for set in photos identical; do
    measure "w32.$set" "$WINE" "$EXE" "$(windows_path "$DATA/$set")"
    canonical "w32.$set" parvik
    measure "native.$set" "$CLI" "$DATA/$set"
    canonical "native.$set" parvik
    # The address space of a 32-bit process without large-address-awareness.
    measure "limited.$set" bash -c 'ulimit -v 2097152 && exec "$@"' - "$CLI" "$DATA/$set"
    canonical "limited.$set" parvik
  done
fi

if [ $WINE_RUNS = 1 ] && [ $SCALE = 1 ]; then
  # Gathered, sorted and grouped: a tenth of the files are copies.
  echo "== 1,000,000 files"
  make_set million many --count 1000000
  measure limited.million bash -c 'ulimit -v 2097152 && exec "$@"' - "$CLI" "$DATA/million"
  canonical limited.million parvik
  measure w32.million "$WINE" "$EXE" "$(windows_path "$DATA/million")"
  canonical w32.million parvik
fi

python3 "$BENCH/report.py" "$RESULTS" | tee "$RESULTS/report.md"

if [ $KEEP = 0 ]; then
  echo "== deleting $DATA"
  rm -rf "${DATA:?}"
fi
