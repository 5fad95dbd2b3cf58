#!/usr/bin/env bash
# Times parvik-cli against jdupes, fdupes and rmlint on generated data, checks
# that all four find the same groups, and runs the Windows build under Wine.
# Installs nothing; not part of CI. See bench/README.md.
#
#   bench/run.sh [options] [DATA_FOLDER]      (default /tmp/parvik-bench)
#     --quick             small data sets, for trying the script out
#     --large-mib LO-HI   file sizes of the large set in MiB (default 50-300)
#     --runs N            timed runs per tool and set (default 5; large: 3)
#     --sets "A B ..."    of small large samesize deep (default all four)
#     --no-wine           skip the Windows build and its runs
#     --keep              keep the generated data (it is deleted otherwise)
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BENCH="$ROOT/bench"
BUILD="$ROOT/build/bench"
RESULTS="$BUILD/results"
DATA=/tmp/parvik-bench
QUICK=0 KEEP=0 WINE_RUNS=1 RUNS=5 LARGE_LO=50 LARGE_HI=300
SETS="small large samesize deep"

while [ $# -gt 0 ]; do
  case "$1" in
    --quick) QUICK=1 ;;
    --keep) KEEP=1 ;;
    --no-wine) WINE_RUNS=0 ;;
    --runs) RUNS=$2; shift ;;
    --sets) SETS=$2; shift ;;
    --large-mib) LARGE_LO=${2%-*}; LARGE_HI=${2#*-}; shift ;;
    -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
    -*) echo "run.sh: unknown option $1" >&2; exit 2 ;;
    *) DATA=$1 ;;
  esac
  shift
done
DATA=$(realpath -m "$DATA")

# Sizes: the full run stays well under 30 minutes on two cores.
if [ $QUICK = 1 ]; then
  SMALL_COUNT=5000 LARGE_COUNT=8 LARGE_LO=5 LARGE_HI=20 SAME_COUNT=300 DEEP_CHAINS=40
  WINE_SMALL_PART=part0 PHOTO_COUNT=200 IDENTICAL_COUNT=6 RUNS=2
else
  SMALL_COUNT=50000 LARGE_COUNT=40 SAME_COUNT=2000 DEEP_CHAINS=200
  WINE_SMALL_PART=part0 PHOTO_COUNT=2000 IDENTICAL_COUNT=30
fi

die() { echo "run.sh: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null || die "$1 is missing (Debian package: $2)"; }
case $DATA in *[[:space:]]*) die "the data folder must not contain blanks: $DATA" ;; esac
need cmake cmake
need python3 python3
need jdupes jdupes
need fdupes fdupes
need rmlint rmlint
need hyperfine hyperfine
[ -x /usr/bin/time ] || die "/usr/bin/time is missing (Debian package: time)"
if [ $WINE_RUNS = 1 ]; then
  need wine wine
  need i686-w64-mingw32-g++ g++-mingw-w64-i686
fi

# Disk: the large set is the big one; about (LO+HI)/2 MiB per file.
need_mib=$(( LARGE_COUNT * (LARGE_LO + LARGE_HI) / 2 + SMALL_COUNT * 33 / 1024 + SAME_COUNT + 3000 ))
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
  cmake --build "$BUILD/win32" --target parvik-cli -j2 >/dev/null
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
    cmake --build "$BUILD/win64" --target parvik-cli -j2 >/dev/null
    export WINEPREFIX="$BUILD/wine64" WINEARCH=win64
    WINE=/usr/lib/wine/wine64 EXE="$BUILD/win64/parvik-cli.exe" WINE_KIND="64-bit (x86-64)"
  fi
fi

# Wine's drive Z: is the Unix root. (hyperfine -N splits its commands like a
# shell, so a Windows path in one goes in single quotes.)
windows_path() { echo "Z:${1//\//\\}"; }

rm -rf "$RESULTS"
mkdir -p "$RESULTS"

make_set() {  # name, generator arguments...
  local name=$1; shift
  [ -e "$DATA/$name/.complete" ] && return
  echo "== writing data set $name"
  rm -rf "${DATA:?}/$name"
  python3 "$BENCH/make_data.py" "$name" "$DATA/$name" "$@"
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
  local -a names=(parvik-cli jdupes fdupes rmlint)
  local -a commands=(
    "$CLI $dir"
    "jdupes -r -q $dir"
    "fdupes -r -n -q $dir"
    "rmlint -T df --algorithm=paranoid --hidden -o fdupes $dir"
  )
  echo "== $set: timing (hyperfine, warm cache, $runs runs each)"
  warm_cache "$dir"
  local -a args=()
  for k in "${!names[@]}"; do args+=(-n "${names[$k]}" "${commands[$k]}"); done
  hyperfine -N --warmup "$warmup" --runs "$runs" --export-json "$RESULTS/$set.json" "${args[@]}" \
    >"$RESULTS/$set.hyperfine.txt"
  echo "== $set: memory, bytes read and groups"
  for k in "${!names[@]}"; do
    # shellcheck disable=SC2086  # the command strings hold no spaces but separators
    measure "$set.${names[$k]}" ${commands[$k]}
    canonical "$set.${names[$k]}" "$([ $k = 0 ] && echo parvik || echo fdupes)"
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
      make_set samesize --count "$SAME_COUNT"
      compare_set samesize "$DATA/samesize" "$LONG_RUNS" 0 ;;
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
  part="$DATA/small/$WINE_SMALL_PART"
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

  # The two cases of a 32-bit process: many files of one size that differ
  # (sparse, like raw photos: their own first 64 KiB each, then a hole) and
  # identical large files with real content.
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

python3 "$BENCH/report.py" "$RESULTS" | tee "$RESULTS/report.md"

if [ $KEEP = 0 ]; then
  echo "== deleting $DATA"
  rm -rf "${DATA:?}"
fi
