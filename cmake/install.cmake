# Install rules: headers, both libraries, a CMake package giving Vantir::vantir
# (shared) and Vantir::vantir_static, and a pkg-config file.
include(CMakePackageConfigHelpers)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/vantir
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS vantir_static vantir_shared EXPORT VantirTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(EXPORT VantirTargets NAMESPACE Vantir::
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Vantir)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/VantirConfig.cmake.in
  ${PROJECT_BINARY_DIR}/VantirConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Vantir)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VantirConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VantirConfig.cmake
              ${PROJECT_BINARY_DIR}/VantirConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Vantir)

configure_file(${PROJECT_SOURCE_DIR}/cmake/vantir.pc.in ${PROJECT_BINARY_DIR}/vantir.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vantir.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
