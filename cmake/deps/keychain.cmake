# Credential store: the freedesktop Secret Service through libsecret (and GLib/GIO under it).
pkg_check_modules(LIBSECRET REQUIRED IMPORTED_TARGET libsecret-1 gio-2.0)
target_link_libraries(velquarin_platform_deps INTERFACE PkgConfig::LIBSECRET)
