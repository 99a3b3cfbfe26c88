# Blobs built on the build machine must behave the same on the target: the host's
# `vantir` builds the Taiwan sample blobs and filters the demo N-best lists; the
# target's `vantir`, run under the emulator, filters them from the very same blobs
# (text and JSON output) and must print byte-identical results. The target also
# builds the blobs itself, and they must equal the host's byte for byte.
#   cmake -DHOST_VANTIR=... -DTARGET_VANTIR=... -DEMULATOR="qemu-x|-L|/usr/triple"
#         -DSOURCE_DIR=... -DWORK_DIR=... -P host_blobs.cmake
string(REPLACE "|" ";" emulator "${EMULATOR}")
set(sources ${SOURCE_DIR}/data/tw-sample)
set(nbest ${sources}/demo.nbest)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

# Runs the command; its standard output goes to `output` unless that is "-".
function(run_checked output)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}${err}")
  endif()
  if(NOT output STREQUAL "-")
    file(WRITE ${output} "${out}")
  endif()
endfunction()

function(compare_files expected actual what)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${expected} ${actual}
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${what} differ between host (${expected}) and target (${actual})")
  endif()
endfunction()

run_checked(- ${HOST_VANTIR} build ${sources} -o ${WORK_DIR}/host-blobs)
foreach(format text json)
  set(flags)
  if(format STREQUAL "json")
    set(flags --json)
  endif()
  run_checked(${WORK_DIR}/host.${format}
              ${HOST_VANTIR} filter --data ${WORK_DIR}/host-blobs ${flags} ${nbest})
  run_checked(${WORK_DIR}/target.${format}
              ${emulator} ${TARGET_VANTIR} filter --data ${WORK_DIR}/host-blobs ${flags} ${nbest})
  compare_files(${WORK_DIR}/host.${format} ${WORK_DIR}/target.${format}
                "filter results (${format})")
endforeach()

run_checked(- ${emulator} ${TARGET_VANTIR} build ${sources} -o ${WORK_DIR}/target-blobs)
file(GLOB blobs RELATIVE ${WORK_DIR}/host-blobs ${WORK_DIR}/host-blobs/*)
if(NOT blobs)
  message(FATAL_ERROR "the host built no blobs in ${WORK_DIR}/host-blobs")
endif()
foreach(blob ${blobs})
  compare_files(${WORK_DIR}/host-blobs/${blob} ${WORK_DIR}/target-blobs/${blob} "blobs ${blob}")
endforeach()
file(SIZE ${WORK_DIR}/host.text host_size)
message(STATUS "identical: ${blobs}; filter output of ${host_size} bytes")
