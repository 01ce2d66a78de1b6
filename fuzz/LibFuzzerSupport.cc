// Linked into every libFuzzer program (never into the test build, which has its own).

// Fontconfig keeps its configuration and pattern caches for the life of the process; the
// status menu target draws text through it. LeakSanitizer would report them at exit.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
