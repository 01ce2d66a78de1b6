# User defaults and login items: desktop entries of the autostart folder are read and
# written with GLib's key-file parser, which knows the format's escaping rules.
pkg_check_modules(VQ_LOGINITEMS_GLIB REQUIRED IMPORTED_TARGET glib-2.0)
target_link_libraries(velquarin_platform_deps INTERFACE PkgConfig::VQ_LOGINITEMS_GLIB)
