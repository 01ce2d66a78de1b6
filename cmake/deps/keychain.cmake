# Credential store: the freedesktop Secret Service through libsecret (and GLib/GIO under it).
# Its D-Bus path API (secret-paths.h) lets the store work on items without a proxy each.
pkg_check_modules(LIBSECRET REQUIRED IMPORTED_TARGET libsecret-1 gio-2.0)
# Only libvelquarin-secret.so links libsecret and only libvelquarin-gio.so links GIO; the
# platform library needs their headers.
target_include_directories(velquarin_platform_deps SYSTEM INTERFACE ${LIBSECRET_INCLUDE_DIRS})
target_compile_definitions(velquarin_platform_deps INTERFACE SECRET_API_SUBJECT_TO_CHANGE)
