# User defaults and login items: desktop entries of the autostart folder are read and
# written with GLib's key-file parser, which knows the format's escaping rules.
pkg_check_modules(VQ_LOGINITEMS_GLIB REQUIRED IMPORTED_TARGET glib-2.0)
target_include_directories(velquarin_platform_deps SYSTEM INTERFACE ${VQ_LOGINITEMS_GLIB_INCLUDE_DIRS})
