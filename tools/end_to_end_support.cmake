# Helpers shared by the end-to-end scripts of the tools and the program: run a command expecting
# an exit code (its output lands in OUT and ERR; a minute at most), and check that a text holds a piece.
function(run expected)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                  TIMEOUT 60)
  if(NOT rc EQUAL expected)
    message(FATAL_ERROR "'${ARGN}' exited ${rc}, expected ${expected}\nstdout: ${out}\nstderr: ${err}")
  endif()
  set(OUT "${out}" PARENT_SCOPE)
  set(ERR "${err}" PARENT_SCOPE)
endfunction()

function(expect_contains text what)
  string(FIND "${text}" "${what}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "expected to find '${what}' in:\n${text}")
  endif()
endfunction()
