# Application environment: sd-bus for the desktop settings portal, GLib for GTK's settings.ini.
# GLib is linked only by libvelquarin-glib.so, opened with the first GLib call
# (platform/CMakeLists.txt); the platform library and the module take its headers.
# sd-bus (libsystemd) is linked only by libvelquarin-sdbus.so, opened with the first bus
# (platform/CMakeLists.txt); the platform library takes its headers.
pkg_check_modules(VQ_SDBUS REQUIRED IMPORTED_TARGET libsystemd)
pkg_check_modules(ENVIRONMENT_GLIB REQUIRED IMPORTED_TARGET glib-2.0)
target_include_directories(velquarin_platform_deps SYSTEM INTERFACE ${VQ_SDBUS_INCLUDE_DIRS})
target_include_directories(velquarin_platform_deps SYSTEM INTERFACE ${ENVIRONMENT_GLIB_INCLUDE_DIRS})

# The relaunch helper waits for the host to exit, then starts it again. It sits beside the
# platform library, where the platform looks for it.
add_executable(velquarin-relaunch ${CMAKE_SOURCE_DIR}/platform/relaunch/velquarin-relaunch.c)
set_target_properties(velquarin-relaunch PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(velquarin_platform_deps velquarin-relaunch)
