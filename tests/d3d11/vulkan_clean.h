// A test fixture base for tests that drive the Vulkan-backed Direct3D layer: each test
// fails when the Vulkan validation layers reported anything while it ran (the layers are
// on when ZR_VULKAN_VALIDATION=1, as every ctest sets). Other GPU test folders derive
// their fixtures from VulkanCleanTest too.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <zr_d3d11.h>

class VulkanCleanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The Vulkan drivers and layers keep some allocations for the life of the process,
    // and the loader unloads them at the end; keep them loaded so the leak checker can
    // name them (sanitizer_options.cpp) instead of an unknown module.
    static const bool kept = [] {
      for (const char* library :
           {"libVkLayer_khronos_validation.so", "libVkLayer_MESA_device_select.so", "libvulkan_lvp.so",
            "libvulkan_intel.so", "libvulkan_intel_hasvk.so", "libvulkan_radeon.so"})
        dlopen(library, RTLD_NOW | RTLD_NODELETE);
      return true;
    }();
    (void)kept;
    validationBefore_ = zr::d3d11::ValidationMessageCount();
  }
  void TearDown() override {
    EXPECT_EQ(zr::d3d11::ValidationMessageCount(), validationBefore_)
        << "Vulkan validation messages were reported during the test (see stderr)";
  }

 private:
  uint64_t validationBefore_ = 0;
};
