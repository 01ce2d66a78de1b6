# Previews and printing: zlib for the text chunks of thumbnail files, libcups for printing
# (Debian's libcups2-dev ships no pkg-config file).
pkg_check_modules(ZLIB_PC REQUIRED IMPORTED_TARGET zlib)
find_path(CUPS_INCLUDE_DIR cups/cups.h REQUIRED)
find_library(CUPS_LIBRARY cups REQUIRED)
target_include_directories(velquarin_platform_deps INTERFACE ${CUPS_INCLUDE_DIR})
target_link_libraries(velquarin_platform_deps INTERFACE PkgConfig::ZLIB_PC ${CUPS_LIBRARY})

# The renderer of PDF and SVG previews, a separate process beside the library.
pkg_check_modules(VIPS_C REQUIRED IMPORTED_TARGET vips)
add_executable(velquarin-thumbnailer ${CMAKE_SOURCE_DIR}/platform/thumbnails/velquarin-thumbnailer.cpp)
target_link_libraries(velquarin-thumbnailer PRIVATE PkgConfig::VIPS_C)
set_target_properties(velquarin-thumbnailer PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(velquarin_platform_deps velquarin-thumbnailer)
