# Global hot keys: key grabs on the X display through xcb, with XKB for detectable auto-repeat.
pkg_check_modules(VQ_SHORTCUTS REQUIRED IMPORTED_TARGET xcb xcb-xkb)
target_link_libraries(velquarin_platform_deps INTERFACE PkgConfig::VQ_SHORTCUTS)
