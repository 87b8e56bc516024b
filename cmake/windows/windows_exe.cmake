# What the Windows executable carries besides its code: the version resource
# and application manifest (from the one project VERSION) and the
# large-address-aware flag.
#
# Included from the top-level CMakeLists.txt after the cadxform target.

enable_language(RC)

# The manifest's assembly version has four parts.
set(CADXFORM_VERSION4 "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
set(CADXFORM_MANIFEST "${CMAKE_BINARY_DIR}/cadxform.manifest")
configure_file(${CMAKE_CURRENT_LIST_DIR}/cadxform.manifest ${CADXFORM_MANIFEST} @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.rc.in ${CMAKE_BINARY_DIR}/version.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/version.rc PROPERTIES OBJECT_DEPENDS ${CADXFORM_MANIFEST})
target_sources(cadxform PRIVATE ${CMAKE_BINARY_DIR}/version.rc)

# The 32-bit process may use up to 4 GB on a 64-bit Windows (2 GB without):
# the drawing store takes about 1.7 times the exchange file.
target_link_options(cadxform PRIVATE -Wl,--large-address-aware)
