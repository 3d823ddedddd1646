// Sanitizer builds only: the font, display and session-bus libraries keep caches
// for the life of the process, which the leak checker would otherwise report at
// every exit.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n"
           "leak:libpango-1.0.so\n"
           "leak:libpangoft2-1.0.so\n"
           "leak:libharfbuzz.so\n"
           "leak:libglib-2.0.so\n"
           "leak:libdbus-1.so\n"
           "leak:libX11.so\n"
           "leak:libSDL2-2.0.so\n";
}
