# Whether the Python module (python/) is built. VANTIR_BUILD_PYTHON=ON requires
# Python 3 with its headers, pybind11 and, for the tests, pytest; AUTO (the
# default) builds it with the tests when all are present and the build is
# neither instrumented (a sanitized module cannot load into a plain
# interpreter) nor for another machine (the host's Python cannot load it).
set(VANTIR_BUILD_PYTHON AUTO CACHE STRING "Build the Python module: AUTO, ON or OFF")
set_property(CACHE VANTIR_BUILD_PYTHON PROPERTY STRINGS AUTO ON OFF)

function(vantir_python_wanted out_wanted out_required)
  set(required FALSE)
  if(VANTIR_BUILD_PYTHON STREQUAL "AUTO")
    set(wanted FALSE)
    if(VANTIR_BUILD_TESTS AND NOT VANTIR_SANITIZE AND NOT VANTIR_TSAN AND NOT VANTIR_BUILD_FUZZ
       AND NOT CMAKE_CROSSCOMPILING)
      set(wanted TRUE)
    endif()
  elseif(VANTIR_BUILD_PYTHON)
    set(wanted TRUE)
    set(required TRUE)
  else()
    set(wanted FALSE)
  endif()
  set(${out_wanted} ${wanted} PARENT_SCOPE)
  set(${out_required} ${required} PARENT_SCOPE)
endfunction()

vantir_python_wanted(vantir_python_wanted vantir_python_required)
if(vantir_python_wanted)
  # Debian's pybind11 and pytest belong to its own interpreter; another python3
  # earlier on the PATH (pyenv, conda) would not see them.
  if(NOT DEFINED Python3_EXECUTABLE AND EXISTS /usr/bin/python3)
    set(Python3_EXECUTABLE /usr/bin/python3)
  endif()
  find_package(Python3 COMPONENTS Interpreter Development.Module QUIET)
  set(vantir_python_missing)
  if(NOT Python3_FOUND)
    set(vantir_python_missing "Python 3 with its headers;python3-dev")
  else()
    execute_process(COMMAND ${Python3_EXECUTABLE} -m pybind11 --cmakedir
                    OUTPUT_VARIABLE vantir_pybind11_dir OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE vantir_pybind11_status ERROR_QUIET)
    if(vantir_pybind11_status EQUAL 0)
      find_package(pybind11 CONFIG QUIET HINTS ${vantir_pybind11_dir})
    endif()
    if(NOT pybind11_FOUND)
      set(vantir_python_missing "pybind11;python3-pybind11")
    elseif(VANTIR_BUILD_TESTS)
      execute_process(COMMAND ${Python3_EXECUTABLE} -c "import pytest"
                      RESULT_VARIABLE vantir_pytest_status OUTPUT_QUIET ERROR_QUIET)
      if(NOT vantir_pytest_status EQUAL 0)
        set(vantir_python_missing "pytest;python3-pytest")
      endif()
    endif()
  endif()
  if(vantir_python_missing)
    if(vantir_python_required)
      list(GET vantir_python_missing 0 what)
      list(GET vantir_python_missing 1 debian)
      vantir_missing_package("${what} (for ${Python3_EXECUTABLE})" ${debian} python)
    endif()
    message(STATUS "Python module not built: ${vantir_python_missing} not found")
  else()
    message(STATUS "Python module built for ${Python3_EXECUTABLE}")
    if(NOT TARGET vantir_run)
      add_subdirectory(tools)
    endif()
    add_subdirectory(python)
  endif()
endif()
