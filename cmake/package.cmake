# What `cmake --install` puts under the prefix, so that another project
# builds on the exchange library:
#   lib/libcadxform_{numeric,platform,exchange}.a
#   include/cadxform/*.h                          (the public headers only)
#   lib/cmake/cadxform/cadxformConfig.cmake, cadxformConfigVersion.cmake,
#   cadxformTargets*.cmake                        (targets cadxform::numeric,
#                                                  cadxform::platform, cadxform::exchange)
# Use: find_package(cadxform 1.2 REQUIRED)
#      target_link_libraries(mytool PRIVATE cadxform::exchange)
# The version file accepts a request of the same major version up to this
# one (SameMajorVersion): 1.2.0 takes 1.0, 1.1 and 1.2, refuses 1.3 and 2.0.
#
# Included from the top-level CMakeLists.txt after the library targets.

include(CMakePackageConfigHelpers)

set(CADXFORM_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/cadxform)

install(TARGETS cadxform_numeric cadxform_platform cadxform_exchange
  EXPORT cadxformTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/include/cadxform ${CADXFORM_GENERATED_INCLUDE}/cadxform
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h")
install(EXPORT cadxformTargets
  NAMESPACE cadxform::
  DESTINATION ${CADXFORM_PACKAGE_DIR})

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/cadxformConfig.cmake.in
  ${CMAKE_BINARY_DIR}/cadxformConfig.cmake
  INSTALL_DESTINATION ${CADXFORM_PACKAGE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/cadxformConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/cadxformConfig.cmake ${CMAKE_BINARY_DIR}/cadxformConfigVersion.cmake
  DESTINATION ${CADXFORM_PACKAGE_DIR})
