# General pasteboard: the X11 CLIPBOARD through xcb (not Xlib, whose I/O error handler ends
# the process), and X-Resource to learn which process owns it.
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb xcb-res)
target_link_libraries(velquarin_platform_deps INTERFACE PkgConfig::XCB)
