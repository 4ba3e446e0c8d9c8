# oagen's command line, run with -DOAGEN=<program> -DSOURCE_DIR=<tree> -DSCRATCH=<dir>:
# it writes the catalogue the library compiles (to a file or to stdout), and
# refuses, with status 2 and the usage, what it does not know, writing nothing.
set(committed ${SOURCE_DIR}/classical/catalogue/orthogonal_arrays.cpp)

function(expect_run expected_status)
  execute_process(COMMAND ${OAGEN} ${ARGN} WORKING_DIRECTORY ${SCRATCH}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status STREQUAL expected_status)
    message(FATAL_ERROR "oagen ${ARGN}: status ${status}, expected ${expected_status}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})

expect_run(0 --help)
if(NOT out MATCHES "^usage: oagen ")
  message(FATAL_ERROR "oagen --help printed:\n${out}")
endif()

foreach(misuse "--frobnicate|--frobnicate" "--extended;-x|-x" "a.cpp;b.cpp|b.cpp")
  string(REPLACE "|" ";" parts "${misuse}")
  list(GET parts -1 named)
  list(REMOVE_AT parts -1)
  expect_run(2 ${parts})
  if(NOT err MATCHES "^oagen: unexpected argument '${named}'\nusage: oagen ")
    message(FATAL_ERROR "oagen ${parts} said:\n${err}")
  endif()
endforeach()
file(GLOB left ${SCRATCH}/*)
if(left)
  message(FATAL_ERROR "a refused call wrote ${left}")
endif()

expect_run(0 catalogue.cpp)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SCRATCH}/catalogue.cpp ${committed} RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "oagen writes another catalogue than ${committed}")
endif()
expect_run(0)
file(READ ${committed} expected)
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "oagen without a path prints another catalogue than ${committed}")
endif()

expect_run(1 ${SCRATCH}/missing/catalogue.cpp)
if(NOT err STREQUAL "oagen: cannot write ${SCRATCH}/missing/catalogue.cpp\n")
  message(FATAL_ERROR "oagen on a path it cannot write said:\n${err}")
endif()
