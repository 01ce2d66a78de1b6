# Sounds: libsndfile decodes, ALSA plays (a silent output stands in when there is no device);
# both linked only by libvelquarin-sound.so, opened on first use (platform/CMakeLists.txt).
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET alsa)
target_include_directories(velquarin_platform_deps INTERFACE ${SNDFILE_INCLUDE_DIRS} ${ALSA_INCLUDE_DIRS})
# Desktop notifications: sd-bus talks to the freedesktop notification server (through
# libvelquarin-sdbus.so, environment.cmake).
