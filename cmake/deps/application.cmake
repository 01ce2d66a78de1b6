# Application and dock: GIO's desktop-entry API launches a desktop file's actions as docks do.
pkg_check_modules(VQ_APPLICATION REQUIRED IMPORTED_TARGET gio-unix-2.0)
target_link_libraries(velquarin_platform_deps INTERFACE PkgConfig::VQ_APPLICATION)
