# Address book: GLib converts the CHARSET of old vCards and repairs invalid UTF-8.
pkg_check_modules(VQ_CONTACTS_GLIB REQUIRED IMPORTED_TARGET glib-2.0)
target_link_libraries(velquarin_platform_deps INTERFACE PkgConfig::VQ_CONTACTS_GLIB)
