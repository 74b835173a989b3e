// Leak checking in the sanitizer builds of the Qt programs: the system's
// D-Bus library keeps a buffer for the whole process, which the leak
// checker reports at exit (and then ends the program with a failure code,
// which the editor would read as a stopped run). Only the programs' own
// leaks count.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }
