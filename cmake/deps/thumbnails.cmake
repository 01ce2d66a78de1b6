# Previews and printing: zlib for the text chunks of thumbnail files (headers only: it is
# opened with the first chunk written), libcups for printing (Debian's libcups2-dev ships no
# pkg-config file), linked only by libvelquarin-printing.so.
pkg_check_modules(ZLIB_PC REQUIRED IMPORTED_TARGET zlib)
find_path(CUPS_INCLUDE_DIR cups/cups.h REQUIRED)
find_library(CUPS_LIBRARY cups REQUIRED)
target_include_directories(velquarin_platform_deps INTERFACE ${CUPS_INCLUDE_DIR})
target_include_directories(velquarin_platform_deps SYSTEM INTERFACE ${ZLIB_PC_INCLUDE_DIRS})

# The renderer of PDF and SVG previews, a separate process beside the library: poppler and
# librsvg directly (the libraries libvips would use), without libvips's start-up cost.
# librsvg's headers only: the program opens the library when it meets an SVG document.
pkg_check_modules(THUMBNAILER REQUIRED IMPORTED_TARGET poppler-glib cairo)
pkg_check_modules(RSVG REQUIRED librsvg-2.0)
add_executable(velquarin-thumbnailer ${CMAKE_SOURCE_DIR}/platform/thumbnails/velquarin-thumbnailer.cpp)
target_include_directories(velquarin-thumbnailer PRIVATE ${RSVG_INCLUDE_DIRS})
target_link_libraries(velquarin-thumbnailer PRIVATE PkgConfig::THUMBNAILER ${CMAKE_DL_LIBS})
set_target_properties(velquarin-thumbnailer PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(velquarin_platform_deps velquarin-thumbnailer)
