# Reproducible Windows binaries: building the same sources twice, in any
# folder, gives the same bytes. No link time stamp in the PE header, and no
# source or build folder in the code (the file names of asserts and of debug
# information are relative). Included before the targets are defined.
add_link_options(-Wl,--no-insert-timestamp)
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>
                    $<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>)
# The static libraries of the SDK: archive members and the symbol index
# with zero time stamps, user and group ids and mode 644 (ar's D modifier,
# ranlib -D), whatever the binutils' own default.
set(CMAKE_CXX_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
set(CMAKE_CXX_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
set(CMAKE_CXX_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
