# Status item and menus: badge and title text drawn and measured with pango on cairo, linked
# only by libvelquarin-drawing.so (platform/CMakeLists.txt), opened on first use.
pkg_check_modules(PANGOCAIRO REQUIRED IMPORTED_TARGET pangocairo>=1.44 cairo>=1.16)
target_include_directories(velquarin_platform_deps INTERFACE ${PANGOCAIRO_INCLUDE_DIRS})
