# Status item and menus: badge and title text drawn and measured with pango on cairo, linked
# only by libvelquarin-drawing.so (platform/CMakeLists.txt), opened on first use.
pkg_check_modules(PANGOCAIRO REQUIRED IMPORTED_TARGET pangocairo>=1.44 cairo>=1.16)
target_include_directories(velquarin_platform_deps INTERFACE ${PANGOCAIRO_INCLUDE_DIRS})
# The status menu's content arrives as JSON text at every opening, megabytes with many
# accounts: simdjson reads it, linked only by libvelquarin-menujson.so (src/CMakeLists.txt),
# opened with the first content.
find_package(simdjson REQUIRED)
