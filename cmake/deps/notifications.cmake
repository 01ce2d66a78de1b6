# Sounds: libsndfile decodes (linked only by libvelquarin-sndfile.so, opened on first use:
# platform/CMakeLists.txt), ALSA plays (a silent output stands in when there is no device).
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(NOTIFICATION_SOUND REQUIRED IMPORTED_TARGET alsa)
target_include_directories(velquarin_platform_deps INTERFACE ${SNDFILE_INCLUDE_DIRS})
target_link_libraries(velquarin_platform_deps INTERFACE PkgConfig::NOTIFICATION_SOUND)
# Desktop notifications: sd-bus talks to the freedesktop notification server.
pkg_check_modules(NOTIFICATION_BUS REQUIRED IMPORTED_TARGET libsystemd)
target_link_libraries(velquarin_platform_deps INTERFACE PkgConfig::NOTIFICATION_BUS)
