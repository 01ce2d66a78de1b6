# The platform's logging system (platform/logging) is built on spdlog.
find_package(spdlog REQUIRED)
target_link_libraries(velquarin_platform_deps INTERFACE spdlog::spdlog)
