// Built into every test program: the sanitisers read their suppression files from the
// source tree whether a test runs under ctest or on its own. Stacks are unwound the
// fast way (frame pointers): the slow unwinder takes the unwinder's own lock, which
// deadlocks against LLVM registering the frames of code lavapipe has just compiled.
extern "C" {
const char* __lsan_default_options() { return ZR_LSAN_OPTIONS; }
const char* __tsan_default_options() { return ZR_TSAN_OPTIONS; }
}
