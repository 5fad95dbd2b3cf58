# Runs parvik-cli on a small tree and checks what it prints and returns.
# cmake -DCLI=<parvik-cli> -DWORK=<scratch folder> -P cli_smoke.cmake
cmake_policy(SET CMP0007 NEW)  # empty rows are rows
if(NOT CLI OR NOT WORK)
  message(FATAL_ERROR "usage: cmake -DCLI=<parvik-cli> -DWORK=<folder> -P cli_smoke.cmake")
endif()

set(tree "${WORK}/tree")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${tree}/a" "${tree}/b" "${tree}/big/deep" "${tree}/empty-folder")

# Three sizes of duplicates (24, 50, 100 bytes), a file of 24 bytes that
# matches none, and an empty file that is never taken.
set(text24 "twenty-four bytes here!\n")
set(text50 "fifty bytes, with a non-ASCII name to keep as is!\n")
string(REPEAT "0123456789" 10 text100)
file(WRITE "${tree}/a/same1.txt" "${text24}")
file(WRITE "${tree}/b/same2.txt" "${text24}")
file(WRITE "${tree}/b/other.txt" "twenty-four bytes, nope\n")
file(WRITE "${tree}/b/grün.bin" "${text50}")
file(WRITE "${tree}/b/grün-kopie.bin" "${text50}")
file(WRITE "${tree}/big/one.dat" "${text100}")
file(WRITE "${tree}/big/deep/one.dat" "${text100}")
file(WRITE "${tree}/big/deep/three.dat" "${text100}")
file(WRITE "${tree}/empty.txt" "")

set(stamp "[0-3][0-9]\\.[01][0-9]\\.[0-9]+  [0-2][0-9]:[0-5][0-9]:[0-5][0-9]")
# SEND_ERROR reports and goes on; the script then ends with a failure status.
function(fail what)
  message(SEND_ERROR "${what}")
endfunction()

function(run_cli)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(rc "${rc}" PARENT_SCOPE)
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
  string(REPLACE "\n" ";" lines "${out}")
  set(lines "${lines}" PARENT_SCOPE)
endfunction()

# Compares the printed rows, top to bottom, with `expected`: "TEXT:<exact>",
# "RE:<regex>" or "FILES:<name>,<name>,..." for a group's file rows in any
# order, each a complete row with both time stamps.
function(expect_rows case)
  set(expected ${ARGN})
  set(at 0)
  list(LENGTH lines count)
  foreach(item IN LISTS expected)
    if(item MATCHES "^FILES:(.*)$")
      string(REPLACE "," ";" names "${CMAKE_MATCH_1}")
      set(seen "")
      foreach(name IN LISTS names)
        if(at GREATER_EQUAL count)
          fail("${case}: output ends before the file row of ${name}:\n${out}")
          return()
        endif()
        list(GET lines ${at} row)
        if(NOT row MATCHES "^file:(.+)    create:${stamp}    write:${stamp}$")
          fail("${case}: row ${at} is no file row: '${row}'")
          return()
        endif()
        get_filename_component(rowName "${CMAKE_MATCH_1}" NAME)
        list(APPEND seen "${rowName}")
        math(EXPR at "${at} + 1")
      endforeach()
      list(SORT seen)
      list(SORT names)
      if(NOT seen STREQUAL names)
        fail("${case}: group holds '${seen}', expected '${names}'")
      endif()
      continue()
    endif()
    if(at GREATER_EQUAL count)
      fail("${case}: output ends before '${item}':\n${out}")
      return()
    endif()
    list(GET lines ${at} row)
    if(item MATCHES "^TEXT:(.*)$")
      set(want "${CMAKE_MATCH_1}")
      if(NOT row STREQUAL want)
        fail("${case}: row ${at} is '${row}', expected '${want}'")
      endif()
    elseif(item MATCHES "^RE:(.*)$")
      set(want "${CMAKE_MATCH_1}")
      if(NOT row MATCHES "${want}")
        fail("${case}: row ${at} is '${row}', expected /${want}/")
      endif()
    endif()
    math(EXPR at "${at} + 1")
  endforeach()
  # The text ends with a newline, which leaves one empty element behind.
  math(EXPR rest "${count} - ${at}")
  if(NOT rest EQUAL 1)
    fail("${case}: ${rest} rows more than expected:\n${out}")
  endif()
endfunction()

function(expect_status case want)
  if(NOT rc STREQUAL want)
    fail("${case}: exit status '${rc}', expected ${want}\nstderr: ${err}")
  endif()
endfunction()

# One clear line on stderr and nothing on stdout.
function(expect_refusal case pattern)
  if(rc EQUAL 0 OR NOT rc MATCHES "^[0-9]+$")
    fail("${case}: exit status '${rc}', expected a failure")
  endif()
  if(NOT out STREQUAL "")
    fail("${case}: printed rows although refused:\n${out}")
  endif()
  string(REGEX MATCHALL "\n" newlines "${err}")
  list(LENGTH newlines lineCount)
  if(NOT lineCount EQUAL 1 OR NOT err MATCHES "^parvik-cli: ${pattern}")
    fail("${case}: stderr should be one line starting with '${pattern}', is:\n${err}")
  endif()
endfunction()

set(timing_rows "TEXT:---" "RE:^qsort:[0-9]+ sec$" "RE:^scan:[0-9]+ sec$" "TEXT:---")

# The largest groups stand at the top, each introduced by an empty row and its
# length heading; the non-ASCII name comes out as the file system spells it.
run_cli("${CLI}" "${tree}")
expect_status("whole tree" 0)
expect_rows("whole tree"
  "RE:^end:[0-9]+ sec$" "TEXT:"
  "TEXT:-- Länge:100 Byte --" "FILES:one.dat,one.dat,three.dat" "TEXT:"
  "TEXT:-- Länge:50 Byte --" "FILES:grün.bin,grün-kopie.bin" "TEXT:"
  "TEXT:-- Länge:24 Byte --" "FILES:same1.txt,same2.txt"
  ${timing_rows})
if(NOT err STREQUAL "")
  fail("whole tree: stderr is not a terminal, yet got: ${err}")
endif()

# Several folders, the second with a trailing separator that must not double.
run_cli("${CLI}" "${tree}/a" "${tree}/b/")
expect_status("two folders" 0)
expect_rows("two folders"
  "RE:^end:[0-9]+ sec$" "TEXT:"
  "TEXT:-- Länge:50 Byte --" "FILES:grün.bin,grün-kopie.bin" "TEXT:"
  "TEXT:-- Länge:24 Byte --" "FILES:same1.txt,same2.txt"
  ${timing_rows})
if(out MATCHES "//")
  fail("two folders: a doubled separator in the rows:\n${out}")
endif()

run_cli("${CLI}" --filter "*.dat" --min-size=24 "${tree}")
expect_status("filter and minimum size" 0)
expect_rows("filter and minimum size"
  "RE:^end:[0-9]+ sec$" "TEXT:"
  "TEXT:-- Länge:100 Byte --" "FILES:one.dat,one.dat,three.dat"
  ${timing_rows})

run_cli("${CLI}" --min-size 50 --same-name "${tree}")
expect_status("same name" 0)
expect_rows("same name"
  "RE:^end:[0-9]+ sec$" "TEXT:"
  "TEXT:-- Länge:100 Byte --" "FILES:one.dat,one.dat"
  ${timing_rows})

run_cli("${CLI}" "${tree}/empty-folder")
expect_status("no files" 0)
expect_rows("no files" "RE:^end:[0-9]+ sec$" ${timing_rows})

run_cli("${CLI}" "${tree}" "${WORK}/no-such-folder")
expect_refusal("missing folder" "Ordner nicht gefunden: .*no-such-folder")
run_cli("${CLI}" "${tree}/a/same1.txt")
expect_refusal("file instead of folder" "Ordner nicht gefunden")
run_cli("${CLI}" --min-size 1k "${tree}")
expect_refusal("bad size" "--min-size erwartet")
run_cli("${CLI}" --recursive "${tree}")
expect_refusal("unknown option" "Unbekannte Option.*--recursive")
run_cli("${CLI}")
expect_refusal("no folder" "Kein Ordner angegeben")

run_cli("${CLI}" --help)
expect_status("help" 0)
if(NOT out MATCHES "^Aufruf: parvik-cli \\[Optionen\\] Ordner\\.\\.\\.\n.*--filter.*--min-size.*--same-name")
  fail("help: unexpected text:\n${out}")
endif()

# Ctrl+C the way the cancel button works: the search winds down and lists what
# it has. The signal is sent while blocked and the program unblocks it once it
# can take it, so it lands at the start of the scan every time.
find_program(PERL perl)
if(PERL)
  # No semicolons: they would split the argument list.
  run_cli("${PERL}" -MPOSIX -e
    "sigprocmask(SIG_BLOCK, POSIX::SigSet->new(SIGINT)), kill('INT', $$), exec(@ARGV)"
    "${CLI}" "${tree}")
  expect_status("interrupted" 130)
  expect_rows("interrupted" "RE:^end:[0-9]+ sec$" ${timing_rows})
  if(NOT err MATCHES "^parvik-cli: [^\n]*Strg\\+C[^\n]*\n$")
    fail("interrupted: stderr should say in one line that the list is cut short, is:\n${err}")
  endif()
endif()

file(REMOVE_RECURSE "${WORK}")
