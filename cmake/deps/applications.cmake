# Applications, default handlers and icons: GIO (desktop entries, shared-mime-info,
# mimeapps.list), librsvg for SVG icons on the platform's cairo, sd-bus for the file manager.
pkg_check_modules(APPLICATIONS REQUIRED IMPORTED_TARGET gio-2.0 gio-unix-2.0 librsvg-2.0>=2.52
                  libsystemd)
target_link_libraries(velquarin_platform_deps INTERFACE PkgConfig::APPLICATIONS)
