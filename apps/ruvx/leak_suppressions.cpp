// In builds with the address sanitizer, the leak checker of every ruvx process (a preview run by a
// batch or a test as much as one run by hand) is told about Mesa's off-screen library: it keeps a
// few framebuffer records past the context's end, freed at process exit and not ours to fix.
#ifdef RUV_ADDRESS_SANITIZER
// The sanitizer's runtime asks the program for these by this name.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libOSMesa\nleak:libLLVM\nleak:libglapi\n";
}
#endif
