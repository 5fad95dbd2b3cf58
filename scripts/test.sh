#!/usr/bin/env bash
# Installs what is missing, builds the native and the Windows builds, and runs
# every test: the engine natively (plain and under ASan/UBSan), the Windows
# parts and the end-to-end test under Wine with Xvfb.
set -uo pipefail
. "$(dirname "$0")/env.sh"

"$PARVIK_ROOT/scripts/setup.sh" || exit 1

summary=()
total_passed=0
total_failed=0

# Runs ctest in a build folder and keeps its counts for the summary.
run_suite() {
  local name=$1 dir=$2; shift 2
  echo "== $name"
  local log="$dir/ctest-summary.log"
  (cd "$dir" && "$@" ctest --output-on-failure -j"$(jobs)") 2>&1 | tee "$log"
  local line passed total
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [ -z "$line" ]; then
    summary+=("$name: did not run")
    total_failed=$((total_failed + 1))
    return
  fi
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  failed=$(sed -E 's/.*tests passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  passed=$((total - failed))
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
  # Each ctest entry may hold many GoogleTest cases; count those as well.
  local cases
  cases=$(grep -hoE '^\[  PASSED  \] [0-9]+ tests?' "$dir/Testing/Temporary/LastTest.log" 2>/dev/null |
          awk '{ sum += $4 } END { print sum + 0 }')
  summary+=("$name: $passed passed, $failed failed ($cases GoogleTest cases passed)")
}

build_failed() {
  summary+=("$1: build failed")
  total_failed=$((total_failed + 1))
}

if build_native "$PARVIK_BUILD/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo; then
  run_suite "native" "$PARVIK_BUILD/native"
else build_failed native; fi

if build_native "$PARVIK_BUILD/native-asan" -DCMAKE_BUILD_TYPE=Debug -DPARVIK_SANITIZE=ON; then
  ASAN_OPTIONS=detect_leaks=1 run_suite "native ASan+UBSan" "$PARVIK_BUILD/native-asan"
else build_failed "native ASan+UBSan"; fi

# The shipped 32-bit build, tests included, must always build. Its tests run
# where the machine runs 32-bit code; elsewhere the same tests run on the
# 64-bit build of the same sources.
if build_windows windows RelWithDebInfo ON; then
  tested=windows
  if ! runs_32bit_code; then
    echo "This machine cannot run 32-bit x86 code: the Windows tests run on the 64-bit build."
    tested=windows64
    build_windows windows64 RelWithDebInfo ON || { build_failed "windows64"; tested=; }
  fi
  if [ -n "$tested" ]; then
    prepare_wine
    run_suite "Windows parts under Wine ($tested)" "$PARVIK_BUILD/$tested" \
      xvfb-run -a -s "-screen 0 1280x1024x24"
    wineserver -k 2>/dev/null || true
  fi
else build_failed "windows (32-bit)"; fi

# The release zip as a Windows user gets it.
echo "== release zip"
if zip_path=$("$PARVIK_ROOT/scripts/package.sh" | tail -1) &&
   "$PARVIK_ROOT/tests/package/check_zip.sh" "$zip_path" "$(project_version)"; then
  summary+=("release zip: 1 passed, 0 failed")
  total_passed=$((total_passed + 1))
else
  summary+=("release zip: 0 passed, 1 failed")
  total_failed=$((total_failed + 1))
fi

# The tests against the program they test, by non-blank lines and by
# non-whitespace characters (long lines count for what they hold).
program() { git ls-files '*.cpp' '*.h' | grep -vE '^(tests|bench)/' | xargs cat; }
tests() { git ls-files 'tests/*' | xargs cat; }
ratio() { awk -v t="$1" -v c="$2" 'BEGIN { printf "%.2f", t / c }'; }
cd "$PARVIK_ROOT" || exit 1
code_lines=$(program | grep -cvE '^\s*$') test_lines=$(tests | grep -cvE '^\s*$')
code_chars=$(program | tr -d ' \t\r\n' | wc -c) test_chars=$(tests | tr -d ' \t\r\n' | wc -c)

echo
echo "== Summary"
printf '  %s\n' "${summary[@]}"
echo "  test lines: $test_lines, program lines: $code_lines, ratio $(ratio "$test_lines" "$code_lines")"
echo "  test characters: $test_chars, program characters: $code_chars, ratio $(ratio "$test_chars" "$code_chars")"
echo "$total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ]
