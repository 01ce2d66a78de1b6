# Applications, default handlers and icons: GIO (desktop entries, shared-mime-info,
# mimeapps.list), sd-bus for the file manager; librsvg for SVG icons on the platform's cairo,
# linked only by libvelquarin-svg.so (platform/CMakeLists.txt), opened on first use.
# GIO through libvelquarin-gio.so only (migration.cmake finds it).
pkg_check_modules(SVG REQUIRED IMPORTED_TARGET librsvg-2.0>=2.52)
target_include_directories(velquarin_platform_deps INTERFACE ${SVG_INCLUDE_DIRS})
