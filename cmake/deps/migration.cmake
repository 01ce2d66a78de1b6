# Previous-version data store: libxml2 reads and writes the XML store files (linked only by
# libvelquarin-xml.so, opened on first use: platform/CMakeLists.txt); GLib's base64 codec
# handles their binary attributes; GIO (headers only: libvelquarin-gio.so, opened on first use)
# names the icons of downloaded files.
pkg_check_modules(XML REQUIRED IMPORTED_TARGET libxml-2.0)
pkg_check_modules(VQ_OBJECTGRAPH REQUIRED IMPORTED_TARGET glib-2.0)
pkg_check_modules(VQ_GIO REQUIRED IMPORTED_TARGET gio-2.0 gio-unix-2.0)
target_include_directories(velquarin_platform_deps INTERFACE ${XML_INCLUDE_DIRS})
target_include_directories(velquarin_platform_deps SYSTEM INTERFACE ${VQ_GIO_INCLUDE_DIRS})
target_include_directories(velquarin_platform_deps SYSTEM INTERFACE ${VQ_OBJECTGRAPH_INCLUDE_DIRS})
