# Runs the program (under the target's emulator, if any) with empty standard
# input and checks what it writes.
#
#   cmake -DPROGRAM=... [-DEMULATOR=a|b|c] -DEOL=LF|CRLF -DINPUT=empty-file
#         [-DFULL=/dev/full] -P output.cmake
#
# Plain, standard output must hold the two texts byte for byte; Windows' text
# mode writes CR LF for the line end, the only difference allowed there.
# With FULL, standard output is a device on which every write fails, and the
# program must say so on standard error and end with status 1.

string(REPLACE "|" ";" emulator "${EMULATOR}")

if(DEFINED FULL)
  execute_process(COMMAND ${emulator} "${PROGRAM}"
    INPUT_FILE "${INPUT}"
    OUTPUT_FILE "${FULL}"
    ERROR_VARIABLE diagnostic
    RESULT_VARIABLE status)
  if(NOT status STREQUAL "1")
    message(FATAL_ERROR "exit status ${status}, want 1; standard error: ${diagnostic}")
  endif()
  if(NOT diagnostic MATCHES "^trapezoid: cannot write to standard output: [^\n]+\n$")
    message(FATAL_ERROR "standard error: '${diagnostic}'")
  endif()
  message(STATUS "write error reported: ${diagnostic}")
  return()
endif()

if(EOL STREQUAL "CRLF")
  set(eol "\r\n")
else()
  set(eol "\n")
endif()
string(HEX " de numerieke waarde van de integraal = 0.200033 ${eol}type enter to continue"
  expected)

# Through a file: execute_process would turn CR LF into LF in a variable.
set(shown_file "${PROGRAM}.stdout")
execute_process(COMMAND ${emulator} "${PROGRAM}"
  INPUT_FILE "${INPUT}"
  OUTPUT_FILE "${shown_file}"
  ERROR_VARIABLE diagnostic
  RESULT_VARIABLE status)
file(READ "${shown_file}" shown HEX)

if(NOT status STREQUAL "0")
  message(FATAL_ERROR "exit status ${status}, want 0; standard error: ${diagnostic}")
endif()
if(NOT shown STREQUAL expected)
  message(FATAL_ERROR "standard output, in hex\n  ${shown}\nwant\n  ${expected}")
endif()
if(NOT diagnostic STREQUAL "")
  message(FATAL_ERROR "standard error is not empty: ${diagnostic}")
endif()
message(STATUS "output ok")
