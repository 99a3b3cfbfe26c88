# Cross build for s390x (s390x-linux-gnu) with Debian's cross compiler; the test
# suite runs under qemu-s390x (scripts/install-deps cross installs both).
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(VANTIR_CROSS_TRIPLE s390x-linux-gnu)
set(VANTIR_CROSS_QEMU qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/cross_common.cmake)
