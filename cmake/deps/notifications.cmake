# Sounds: libsndfile decodes, ALSA plays (a silent output stands in when there is no device).
pkg_check_modules(NOTIFICATION_SOUND REQUIRED IMPORTED_TARGET sndfile alsa)
target_link_libraries(velquarin_platform_deps INTERFACE PkgConfig::NOTIFICATION_SOUND)
# Desktop notifications: sd-bus talks to the freedesktop notification server.
pkg_check_modules(NOTIFICATION_BUS REQUIRED IMPORTED_TARGET libsystemd)
target_link_libraries(velquarin_platform_deps INTERFACE PkgConfig::NOTIFICATION_BUS)
