# Node-API headers (node's own include folder, for node_api.h and uv.h) and node-addon-api.
find_program(NODE_EXECUTABLE node REQUIRED)
execute_process(
  COMMAND ${NODE_EXECUTABLE} -p "require('path').resolve(process.execPath, '..', '..', 'include', 'node')"
  OUTPUT_VARIABLE NODE_INCLUDE_DIR OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT EXISTS "${NODE_INCLUDE_DIR}/node_api.h")
  message(FATAL_ERROR "node_api.h not found in ${NODE_INCLUDE_DIR}; install Node.js with its headers")
endif()
# An installed package finds node-addon-api wherever npm put it (the install script passes it).
set(NODE_ADDON_API_DIR "${CMAKE_SOURCE_DIR}/node_modules/node-addon-api"
    CACHE PATH "node-addon-api's folder (napi.h)")
if(NOT EXISTS "${NODE_ADDON_API_DIR}/napi.h")
  message(FATAL_ERROR "node-addon-api missing in ${NODE_ADDON_API_DIR}: run npm ci")
endif()

add_library(node_headers INTERFACE)
target_include_directories(node_headers SYSTEM INTERFACE ${NODE_INCLUDE_DIR})

add_library(node_addon_api INTERFACE)
target_include_directories(node_addon_api SYSTEM INTERFACE ${NODE_ADDON_API_DIR})
target_compile_definitions(node_addon_api INTERFACE NAPI_VERSION=8 NAPI_DISABLE_CPP_EXCEPTIONS)
target_link_libraries(node_addon_api INTERFACE node_headers)

# Linked into the add-ons and the platform library, which every start-up loads: references
# to their own functions are bound at link time rather than looked up by the loader.
set(VELQUARIN_LOAD_LINK_OPTIONS -Wl,-Bsymbolic-functions -Wl,-O1 -Wl,--hash-style=gnu)

# The code start-up runs, laid out together at the front of each library's code
# (cmake/startup.order, written by scripts/startup-order.js): the kernel maps the 64 KiB around
# every page of code a process runs, so start-up code spread over the whole library makes most
# of it resident in every process. Needs lld, and a section of its own for every function.
find_program(VELQUARIN_LLD ld.lld)
if(VELQUARIN_LLD)
  add_compile_options(-ffunction-sections)
else()
  message(STATUS "ld.lld not found: start-up code is linked in source order")
endif()
function(velquarin_lay_out_startup_code target)
  if(NOT VELQUARIN_LLD)
    return()
  endif()
  set(order ${CMAKE_SOURCE_DIR}/cmake/startup.order)
  set(layout ${CMAKE_SOURCE_DIR}/cmake/startup-layout.ld)
  # Entries for functions since renamed or of the other library are expected: not a warning.
  target_link_options(${target} PRIVATE -fuse-ld=lld -Wl,--symbol-ordering-file=${order}
                      -Wl,--no-warn-symbol-ordering -Wl,-T,${layout})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${order} ${layout})
endfunction()

# A Node add-on: a shared module named NAME.node whose N-API symbols resolve in the host.
function(velquarin_add_addon target output_name)
  add_library(${target} MODULE ${ARGN})
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX ".node" OUTPUT_NAME ${output_name}
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
    BUILD_RPATH "$ORIGIN" INSTALL_RPATH "$ORIGIN")
  target_link_libraries(${target} PRIVATE node_addon_api)
  target_link_options(${target} PRIVATE -Wl,--as-needed ${VELQUARIN_LOAD_LINK_OPTIONS})
endfunction()
