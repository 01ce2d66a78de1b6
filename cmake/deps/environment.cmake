# Application environment: sd-bus for the desktop settings portal, GLib for GTK's settings.ini.
pkg_check_modules(ENVIRONMENT_SYSTEMD REQUIRED IMPORTED_TARGET libsystemd)
pkg_check_modules(ENVIRONMENT_GLIB REQUIRED IMPORTED_TARGET glib-2.0)
target_link_libraries(velquarin_platform_deps INTERFACE PkgConfig::ENVIRONMENT_SYSTEMD
                      PkgConfig::ENVIRONMENT_GLIB)

# The relaunch helper waits for the host to exit, then starts it again. It sits beside the
# platform library, where the platform looks for it.
add_executable(velquarin-relaunch ${CMAKE_SOURCE_DIR}/platform/relaunch/velquarin-relaunch.c)
set_target_properties(velquarin-relaunch PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(velquarin_platform_deps velquarin-relaunch)
