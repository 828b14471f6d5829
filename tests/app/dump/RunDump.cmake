# Runs `orvelle --dump` on the sample files and checks its output, errors and status.
execute_process(
  COMMAND ${PROGRAM} --dump ${DATA}/Trip.orv ${DATA}/missing.orv ${DATA}/broken.orv ${DATA}/Plan.ort
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  RESULT_VARIABLE status)
file(READ ${DATA}/expected.txt expected)
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "unexpected output:\n${out}\nexpected:\n${expected}")
endif()
set(expected_err "${DATA}/missing.orv: cannot read outline\n${DATA}/broken.orv: cannot read outline\n")
if(NOT err STREQUAL expected_err)
  message(FATAL_ERROR "unexpected errors:\n${err}")
endif()
if(NOT status EQUAL 1)
  message(FATAL_ERROR "status ${status}, expected 1")
endif()

execute_process(COMMAND ${PROGRAM} --dump ${DATA}/Plan.ort OUTPUT_QUIET RESULT_VARIABLE ok)
if(NOT ok EQUAL 0)
  message(FATAL_ERROR "status ${ok} for a readable file, expected 0")
endif()
