# Global hot keys: key grabs on the X display through xcb, with XKB for detectable auto-repeat.
pkg_check_modules(VQ_SHORTCUTS REQUIRED IMPORTED_TARGET xcb xcb-xkb)
# Linked by libvelquarin-x11.so only; the platform library uses the headers.
target_include_directories(velquarin_platform_deps SYSTEM INTERFACE ${VQ_SHORTCUTS_INCLUDE_DIRS})
