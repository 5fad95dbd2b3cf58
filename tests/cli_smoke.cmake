set(tree "${WORK}/tree")
execute_process(COMMAND rm -rf "${WORK}")
string(REPEAT "0123456789" 10 text100)
string(REPEAT "x" 250 long)
file(WRITE "${tree}/a/same1.txt" "twenty-four bytes here!\n")
file(WRITE "${tree}/b/same2.txt" "twenty-four bytes here!\n")
file(WRITE "${tree}/b/grün.dat" "${text100}")
file(WRITE "${tree}/b/grün-kopie.dat" "${text100}")
file(WRITE "${tree}/b/other.txt" "twenty-four bytes, nope\n")
file(WRITE "${tree}/c/${long}" "${text100}")
file(CREATE_LINK "missing-target-24-bytes!" "${tree}/b/dangling" SYMBOLIC)  # 24 bytes, cannot be opened: counted
execute_process(COMMAND sh -c "mkdir d && cd d && for k in $(seq 17); do mkdir ${long} && cd ${long}; done" WORKING_DIRECTORY "${tree}")

function(check case args want_rc pattern)
  execute_process(COMMAND "${CLI}" ${args} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc STREQUAL want_rc OR NOT "${out}${err}" MATCHES "${pattern}")
    message(SEND_ERROR "${case}: exit status ${rc}\n${out}${err}")
  endif()
endfunction()

set(row "file:${tree}/[abc]/[^\n]+    create:[0-9.]+  [0-9:]+    write:[0-9.]+  [0-9:]+\n")
set(tail "---\nqsort:[0-9]+ sec\nscan:[0-9]+ sec\n---\n")
check("whole tree" "${tree}/" 0 "^end:[0-9]+ sec\n\n-- Länge:100 Byte --\n${row}${row}${row}\n-- Länge:24 Byte --\n${row}${row}${tail}\
parvik-cli: 1 Datei\\(en\\) ließen sich nicht öffnen oder lesen und fehlen im Vergleich\n\
parvik-cli: 1 Ordner ließen sich nicht durchsuchen und fehlen mit allem darin\n$")
check("filter and minimum size" "--filter;*.TXT;--min-size=24;${tree}" 0 "^end:[0-9]+ sec\n${tail}parvik-cli: 1 Ordner[^\n]*\n$")
check("missing folder" "${tree};${WORK}/none" 2 "^parvik-cli: Ordner nicht gefunden: [^\n]*none\n$")
