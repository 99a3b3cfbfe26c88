# Shared part of the cross toolchain files: the Debian cross compiler for
# VANTIR_CROSS_TRIPLE, its sysroot, and qemu-user as the emulator CTest runs through.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${VANTIR_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${VANTIR_CROSS_TRIPLE}-g++)
set(VANTIR_CROSS_SYSROOT /usr/${VANTIR_CROSS_TRIPLE})

# Target libraries and headers come from the cross sysroot; programs (cmake,
# python, the host's tools) come from the build machine.
set(CMAKE_FIND_ROOT_PATH ${VANTIR_CROSS_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Package configurations may come from the build machine too: CLI11 is header-only;
# GoogleTest is compiled from source for the target (tests/CMakeLists.txt).
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# try_run, gtest discovery and add_test commands run target programs through
# qemu-user with the target's dynamic loader and libraries.
find_program(VANTIR_CROSS_QEMU_PROGRAM ${VANTIR_CROSS_QEMU})
if(VANTIR_CROSS_QEMU_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VANTIR_CROSS_QEMU_PROGRAM} -L ${VANTIR_CROSS_SYSROOT})
else()
  # A library-only build needs no emulator; the tests cannot run without one.
  message(WARNING "${VANTIR_CROSS_QEMU} was not found, so the tests cannot run here. Install "
                  "the Debian package qemu-user, e.g. with\n  scripts/install-deps cross")
endif()
