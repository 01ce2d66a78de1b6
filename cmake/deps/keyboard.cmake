# Keyboard layouts: libxkbcommon compiles XKB keymaps from xkb-data, no display needed.
pkg_check_modules(VQ_KEYBOARD REQUIRED IMPORTED_TARGET xkbcommon)
target_link_libraries(velquarin_platform_deps INTERFACE PkgConfig::VQ_KEYBOARD)
