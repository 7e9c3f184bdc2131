// What the sanitisers leave unchecked in this test program: the Vulkan driver
// (lavapipe with its LLVM) and the validation layer are not built for them. Their own
// threads and locks are not thread-checked, and the allocations they keep for the life
// of the process, past vkDestroyInstance, are not leaks of ours (vulkan_clean.h keeps
// them loaded so their frames can be named).
extern "C" {
const char* __tsan_default_options() { return "ignore_noninstrumented_modules=1"; }
const char* __tsan_default_suppressions() {
  return "called_from_lib:libvulkan_lvp.so\n"
         "called_from_lib:libVkLayer_khronos_validation.so\n"
         "called_from_lib:libLLVM-15.so.1\n"
         "race:libvulkan_lvp.so\n"
         "race:libLLVM-15.so.1\n"
         "deadlock:libVkLayer_khronos_validation.so\n";
}
const char* __lsan_default_options() { return "fast_unwind_on_malloc=0"; }
const char* __lsan_default_suppressions() {
  return "leak:libvulkan_lvp.so\n"
         "leak:libvulkan_intel.so\n"
         "leak:libvulkan_intel_hasvk.so\n"
         "leak:libvulkan_radeon.so\n"
         "leak:libVkLayer_khronos_validation.so\n"
         "leak:libVkLayer_MESA_device_select.so\n";
}
}
