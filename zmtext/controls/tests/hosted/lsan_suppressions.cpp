// Leaks that are not ours, for the leak checker of the sanitizer build: the system's font
// configuration library keeps a cache it never frees once Qt has asked it for a font.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
