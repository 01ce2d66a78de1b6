# Keyboard layouts: libxkbcommon compiles XKB keymaps from xkb-data, no display needed.
pkg_check_modules(VQ_KEYBOARD REQUIRED IMPORTED_TARGET xkbcommon)
# Linked by libvelquarin-x11.so only; the platform library uses the headers.
target_include_directories(velquarin_platform_deps SYSTEM INTERFACE ${VQ_KEYBOARD_INCLUDE_DIRS})
