# Images: libvips through its C++ API, in the platform. GLib for the module's text
# conversions (libvips depends on it already).
pkg_check_modules(VIPS REQUIRED IMPORTED_TARGET vips-cpp>=8.13)
pkg_check_modules(GLIB REQUIRED IMPORTED_TARGET glib-2.0)
target_link_libraries(velquarin_platform_deps INTERFACE PkgConfig::VIPS)
target_link_libraries(velquarin_module_deps INTERFACE PkgConfig::GLIB)
