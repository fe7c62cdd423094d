// Linked into the sanitizer build's GL and window test binaries only.
//
// The leak checker names the module that allocated each block still held at exit, and
// cmake/lsan_driver.supp suppresses the OpenGL driver's blocks by module name. The driver
// unloads its modules when the last window closes, so at exit their blocks belong to an
// "<unknown module>" that no suppression can match without also hiding leaks of our own.
// This definition of dlclose, exported from the executable, is found before the C library's by
// every library that closes a module: modules stay mapped until the process ends, and the leak
// report can name them.
extern "C" int dlclose(void* /*module*/) { return 0; }
