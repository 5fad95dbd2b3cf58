# Runs parvik-cli on a small tree: a user's search, a filtered one and refusals.
# cmake -DCLI=<parvik-cli> -DWORK=<scratch folder> -P cli_smoke.cmake
set(tree "${WORK}/tree")
file(REMOVE_RECURSE "${WORK}")
string(REPEAT "0123456789" 10 text100)
file(WRITE "${tree}/a/same1.txt" "twenty-four bytes here!\n")
file(WRITE "${tree}/b/same2.txt" "twenty-four bytes here!\n")
file(WRITE "${tree}/b/grün.dat" "${text100}")
file(WRITE "${tree}/b/grün-kopie.dat" "${text100}")
file(WRITE "${tree}/b/other.txt" "twenty-four bytes, nope\n")

function(check case args want_rc pattern)
  execute_process(COMMAND "${CLI}" ${args} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc STREQUAL want_rc OR NOT "${out}${err}" MATCHES "${pattern}")
    message(SEND_ERROR "${case}: exit status ${rc}\n${out}${err}")
  endif()
endfunction()

set(row "file:${tree}/[ab]/[^\n]+    create:[0-9.]+  [0-9:]+    write:[0-9.]+  [0-9:]+\n")
check("whole tree" "${tree}/" 0 "^end:[0-9]+ sec\n\n-- Länge:100 Byte --\n${row}${row}\n-- Länge:24 Byte --\n${row}${row}---\n")
check("filter and minimum size" "--filter;*.TXT;--min-size=24;${tree}" 0 "^end:[0-9]+ sec\n---\n")
check("missing folder" "${tree};${WORK}/none" 2 "^parvik-cli: Ordner nicht gefunden: [^\n]*none\n$")
check("bad size" "--min-size;1k;${tree}" 2 "^parvik-cli: --min-size erwartet")
