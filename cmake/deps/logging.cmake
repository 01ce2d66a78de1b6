# The platform's logging system (platform/logging) is built on spdlog, compiled into the
# platform library from its headers (fmt too): the shared libspdlog binds all its ~1,500
# references to other libraries when it is loaded, which every start-up paid for.
find_package(spdlog REQUIRED)
find_package(fmt REQUIRED)
add_library(velquarin_spdlog INTERFACE)
target_compile_definitions(velquarin_spdlog INTERFACE SPDLOG_FMT_EXTERNAL FMT_HEADER_ONLY=1)
target_include_directories(velquarin_spdlog INTERFACE
  $<TARGET_PROPERTY:spdlog::spdlog_header_only,INTERFACE_INCLUDE_DIRECTORIES>
  $<TARGET_PROPERTY:fmt::fmt-header-only,INTERFACE_INCLUDE_DIRECTORIES>)
target_link_libraries(velquarin_spdlog INTERFACE Threads::Threads)
target_link_libraries(velquarin_platform_deps INTERFACE velquarin_spdlog)
