# Previous-version data store: libxml2 reads and writes the XML store files; GLib's base64
# codec handles their binary attributes; GIO names the icons of downloaded files.
pkg_check_modules(VQ_OBJECTGRAPH REQUIRED IMPORTED_TARGET libxml-2.0 glib-2.0 gio-2.0)
target_link_libraries(velquarin_platform_deps INTERFACE PkgConfig::VQ_OBJECTGRAPH)
