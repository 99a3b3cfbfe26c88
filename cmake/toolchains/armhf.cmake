# Cross build for armhf (arm-linux-gnueabihf) with Debian's cross compiler; the test
# suite runs under qemu-arm (scripts/install-deps cross installs both).
set(CMAKE_SYSTEM_PROCESSOR arm)
set(VANTIR_CROSS_TRIPLE arm-linux-gnueabihf)
set(VANTIR_CROSS_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/cross_common.cmake)
