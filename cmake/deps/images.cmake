# Images: libvips through its C++ API, only in libvelquarin-images.so (platform/CMakeLists.txt),
# which the platform opens on first use. GLib for the module's text conversions.
pkg_check_modules(VIPS REQUIRED IMPORTED_TARGET vips-cpp>=8.13)
pkg_check_modules(GLIB REQUIRED IMPORTED_TARGET glib-2.0)
target_include_directories(velquarin_module_deps SYSTEM INTERFACE ${GLIB_INCLUDE_DIRS})
