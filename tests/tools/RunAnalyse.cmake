# Runs tallowin-analyse once and checks its exit status and output.
#   -DANALYSE=<binary> -DARGS=<arguments joined by ","> -DEXPECT_RC=<n>
#   [-DEXPECT_STDOUT_FILE=<file>]  stdout must equal the file
#   With EXPECT_RC other than 0: stdout must be empty and stderr must say something.
string(REPLACE "," ";" args "${ARGS}")
execute_process(COMMAND ${ANALYSE} ${args}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc STREQUAL EXPECT_RC)
  message(FATAL_ERROR "exit status ${rc} instead of ${EXPECT_RC}\nstdout:\n${out}\nstderr:\n${err}")
endif()
if(DEFINED EXPECT_STDOUT_FILE)
  file(READ ${EXPECT_STDOUT_FILE} expected)
  if(NOT out STREQUAL expected)
    message(FATAL_ERROR "stdout:\n${out}\ninstead of:\n${expected}")
  endif()
endif()
if(NOT EXPECT_RC EQUAL 0)
  if(NOT out STREQUAL "")
    message(FATAL_ERROR "stdout should stay empty on failure, gave:\n${out}")
  endif()
  if(err STREQUAL "")
    message(FATAL_ERROR "no message on stderr")
  endif()
endif()
