# Status item and menus: badge and title text drawn and measured with pango on cairo.
pkg_check_modules(PANGOCAIRO REQUIRED IMPORTED_TARGET pangocairo>=1.44 cairo>=1.16)
target_link_libraries(velquarin_platform_deps INTERFACE PkgConfig::PANGOCAIRO)
