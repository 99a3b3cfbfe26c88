# Configures, builds and installs the library alone in a scratch tree with every
# optional package hidden from find_package, as a host that vendors the library
# would: nothing but a C++ compiler and CMake may be needed.
file(REMOVE_RECURSE ${WORK_DIR})
set(hidden)
foreach(package CLI11 GTest GMock benchmark PkgConfig Python Python3 pybind11)
  list(APPEND hidden -DCMAKE_DISABLE_FIND_PACKAGE_${package}=ON)
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -G ${GENERATOR}
                        -DCMAKE_BUILD_TYPE=Release -DVANTIR_BUILD_TOOLS=OFF
                        -DVANTIR_BUILD_TESTS=OFF ${hidden}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "library-only configure failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build -j 2 RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "library-only build failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --install ${WORK_DIR}/build --prefix ${WORK_DIR}/prefix
                RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT EXISTS ${WORK_DIR}/prefix/include/vantir/vantir.h)
  message(FATAL_ERROR "library-only install failed")
endif()
file(GLOB installed_tools ${WORK_DIR}/prefix/bin/*)
if(installed_tools)
  message(FATAL_ERROR "library-only install holds tools: ${installed_tools}")
endif()
