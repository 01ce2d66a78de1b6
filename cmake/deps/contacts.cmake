# Address book: GLib converts the CHARSET of old vCards and repairs invalid UTF-8.
pkg_check_modules(VQ_CONTACTS_GLIB REQUIRED IMPORTED_TARGET glib-2.0)
target_include_directories(velquarin_platform_deps SYSTEM INTERFACE ${VQ_CONTACTS_GLIB_INCLUDE_DIRS})
