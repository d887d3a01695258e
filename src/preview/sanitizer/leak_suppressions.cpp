// In builds with the address sanitizer, the leak checker of every program that draws previews
// (ruvx, run by hand, by a batch or by a test, and the preview tests) is told about Mesa's
// off-screen library: it keeps a few framebuffer records past the context's end, freed at process
// exit and not ours to fix. Linked as objects of their own (ruv_preview_leak_suppressions), so that
// the runtime finds the definition, which nothing else refers to.
#ifdef RUV_ADDRESS_SANITIZER
// The sanitizer's runtime asks the program for these by this name.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libOSMesa\nleak:libLLVM\nleak:libglapi\n";
}
#endif
