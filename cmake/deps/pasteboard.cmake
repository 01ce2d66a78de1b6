# General pasteboard: the X11 CLIPBOARD through xcb (not Xlib, whose I/O error handler ends
# the process), and X-Resource to learn which process owns it.
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb xcb-res)
# Linked by libvelquarin-x11.so only; the platform library uses the headers.
target_include_directories(velquarin_platform_deps SYSTEM INTERFACE ${XCB_INCLUDE_DIRS})
