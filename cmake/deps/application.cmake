# Application and dock: GIO's desktop-entry API launches a desktop file's actions as docks do.
# The platform library reaches it through libvelquarin-gio.so; the platform add-on's controls
# link it (platform/CMakeLists.txt).
pkg_check_modules(VQ_APPLICATION REQUIRED IMPORTED_TARGET gio-unix-2.0)
