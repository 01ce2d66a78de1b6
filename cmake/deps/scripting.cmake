# Scripting on the session bus: sd-bus serves the application's object on the main loop.
# The module reads HTML fragments with libxml2's HTML parser (through the platform's table of
# libvelquarin-xml.so) and checks text with GLib.
pkg_check_modules(SCRIPTING_HTML REQUIRED IMPORTED_TARGET glib-2.0)
target_include_directories(velquarin_module_deps SYSTEM INTERFACE ${SCRIPTING_HTML_INCLUDE_DIRS})
