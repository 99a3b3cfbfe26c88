# Cross build for arm64 (aarch64-linux-gnu) with Debian's cross compiler; the test
# suite runs under qemu-aarch64 (scripts/install-deps cross installs both).
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(VANTIR_CROSS_TRIPLE aarch64-linux-gnu)
set(VANTIR_CROSS_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/cross_common.cmake)
