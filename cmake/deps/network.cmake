# HTTP on libcurl (GnuTLS build) and reachability on rtnetlink (libmnl).
pkg_check_modules(CURL REQUIRED IMPORTED_TARGET libcurl>=7.85)
pkg_check_modules(MNL REQUIRED IMPORTED_TARGET libmnl)
target_link_libraries(velquarin_platform_deps INTERFACE PkgConfig::CURL PkgConfig::MNL)
