# HTTP on libcurl (GnuTLS build), only in libvelquarin-curl.so (platform/CMakeLists.txt),
# which the platform opens on first use; reachability on rtnetlink (libmnl).
pkg_check_modules(CURL REQUIRED IMPORTED_TARGET libcurl>=7.85)
pkg_check_modules(MNL REQUIRED IMPORTED_TARGET libmnl)
target_include_directories(velquarin_platform_deps INTERFACE ${CURL_INCLUDE_DIRS})
target_link_libraries(velquarin_platform_deps INTERFACE PkgConfig::MNL)
