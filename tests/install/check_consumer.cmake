# Installs the built library into a scratch prefix, then configures, builds and
# runs a separate project that finds it with find_package and with pkg-config.
# With VANTIR (the tool) and NATIONAL (the national sources), a C host on the
# host calls alone also opens the national data set and filters a UTF-8 text,
# built both ways; VERSION is the version it must print.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "install failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -S ${CONSUMER_SOURCE} -B ${WORK_DIR}/build
                        -G ${GENERATOR} -DCMAKE_PREFIX_PATH=${prefix}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "consumer configure failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "consumer build failed")
endif()
foreach(program consumer consumer_static)
  execute_process(COMMAND ${WORK_DIR}/build/${program} RESULT_VARIABLE status
                  OUTPUT_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${program} failed: ${out}")
  endif()
endforeach()

# The national data set, and what host_consumer must print for one text.
set(run_national FALSE)
if(VANTIR AND NATIONAL)
  set(run_national TRUE)
  execute_process(COMMAND ${VANTIR} build ${NATIONAL} -o ${WORK_DIR}/tw RESULT_VARIABLE status
                  OUTPUT_QUIET ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "vantir build ${NATIONAL} failed: ${err}")
  endif()
endif()
set(national_text "台北市大安區忠孝東路四段123號")
set(national_expected "vantir ${VERSION}\n1. 臺北市大安區忠孝東路四段123號\n")
function(check_host_consumer program)
  execute_process(COMMAND ${program} ${WORK_DIR}/tw ${national_text} RESULT_VARIABLE status
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0 OR NOT out STREQUAL national_expected)
    message(FATAL_ERROR "${program} printed (${status})\n${out}${err}\nexpected\n${national_expected}")
  endif()
endfunction()
if(run_national)
  check_host_consumer(${WORK_DIR}/build/host_consumer)
endif()

find_program(PKG_CONFIG pkg-config)
find_program(C_COMPILER NAMES cc gcc clang)
if(PKG_CONFIG AND C_COMPILER)
  set(ENV{PKG_CONFIG_PATH} ${prefix}/lib/pkgconfig:${prefix}/lib64/pkgconfig)
  execute_process(COMMAND ${PKG_CONFIG} --cflags --libs vantir
                  OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "pkg-config does not know vantir")
  endif()
  separate_arguments(flags UNIX_COMMAND "${flags}")
  execute_process(COMMAND ${C_COMPILER} -std=c11 ${CONSUMER_SOURCE}/consumer.c ${flags}
                          -o ${WORK_DIR}/pc_consumer RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "pkg-config consumer build failed")
  endif()
  file(GLOB libdirs ${prefix}/lib ${prefix}/lib64)
  string(REPLACE ";" ":" libpath "${libdirs}")
  set(ENV{LD_LIBRARY_PATH} ${libpath})
  execute_process(COMMAND ${WORK_DIR}/pc_consumer RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "pkg-config consumer failed")
  endif()
  if(run_national)
    execute_process(COMMAND ${C_COMPILER} -std=c11 ${CONSUMER_SOURCE}/host_consumer.c ${flags}
                            -o ${WORK_DIR}/pc_host_consumer RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "pkg-config host_consumer build failed")
    endif()
    check_host_consumer(${WORK_DIR}/pc_host_consumer)
  endif()
endif()
