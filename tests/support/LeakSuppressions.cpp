// Leaks inside system libraries that no program can free, built into every
// test binary so plain ctest runs keep leak checking on without extra
// environment (tests/lsan.supp carries the same lines for child processes).
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\n"
         "leak:libdbus-1\n"
         // SANE backends drop their reader buffer when a scan is cancelled.
         "leak:libsane\n";
}
