# Finds a package that the tools, tests or benchmarks need and, when it is
# missing, stops with the Debian package to install instead of CMake's generic
# "could not find a package configuration file".
#   vantir_require_package(NAME DEBIAN_PACKAGE TASK [find_package arguments...])
#   vantir_require_pkg_config(PREFIX MODULE DEBIAN_PACKAGE TASK)
function(vantir_missing_package what debian task)
  message(FATAL_ERROR
    "${what} was not found. Install the Debian package ${debian}, e.g. with\n"
    "  scripts/install-deps ${task}\n"
    "(it installs every package the task '${task}' needs), or configure with "
    "-DVANTIR_BUILD_TOOLS=OFF -DVANTIR_BUILD_TESTS=OFF to build the library alone.")
endfunction()

macro(vantir_require_package name debian task)
  find_package(${name} ${ARGN} QUIET)
  if(NOT ${name}_FOUND)
    vantir_missing_package(${name} ${debian} ${task})
  endif()
endmacro()

macro(vantir_require_pkg_config prefix module debian task)
  find_package(PkgConfig QUIET)
  if(NOT PkgConfig_FOUND)
    vantir_missing_package(pkg-config pkg-config ${task})
  endif()
  pkg_check_modules(${prefix} QUIET IMPORTED_TARGET ${module})
  if(NOT ${prefix}_FOUND)
    vantir_missing_package("${module} (pkg-config)" ${debian} ${task})
  endif()
endmacro()
