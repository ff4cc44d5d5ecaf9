// Under LeakSanitizer: fontconfig keeps caches for the life of the process, which Qt's offscreen
// fonts load and never free; they are the library's, not ours.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
