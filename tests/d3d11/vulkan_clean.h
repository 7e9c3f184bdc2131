// A test fixture base for tests that drive the Vulkan-backed Direct3D layer: each test
// fails when the Vulkan validation layers reported anything while it ran (the layers are
// on when ZR_VULKAN_VALIDATION=1, as every ctest sets). Other GPU test folders derive
// their fixtures from VulkanCleanTest too.
#pragma once

#include <gtest/gtest.h>
#include <zr_d3d11.h>

class VulkanCleanTest : public ::testing::Test {
 protected:
  void SetUp() override { validationBefore_ = zr::d3d11::ValidationMessageCount(); }
  void TearDown() override {
    EXPECT_EQ(zr::d3d11::ValidationMessageCount(), validationBefore_)
        << "Vulkan validation messages were reported during the test (see stderr)";
  }

 private:
  uint64_t validationBefore_ = 0;
};
