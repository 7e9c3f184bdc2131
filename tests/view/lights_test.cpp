#include "view/lights.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace DirectX;

namespace {

template <typename T>
bool IsAllZero(const T& value) {
  unsigned char bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));
  for (unsigned char b : bytes)
    if (b != 0) return false;
  return true;
}

template <typename T>
bool SameBytes(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// A record whose every float, pads included, is distinct and non-zero.
template <typename T>
T Numbered(float first) {
  T record;
  float values[sizeof(T) / sizeof(float)];
  for (size_t i = 0; i < std::size(values); ++i) values[i] = first + float(i);
  std::memcpy(static_cast<void*>(&record), values, sizeof(T));
  return record;
}

template <typename T>
void ExpectCopyKeepsTheDestinationPad() {
  EXPECT_TRUE(IsAllZero(T{})) << "a default record is all zero";
  const T source = Numbered<T>(1);
  T destination = Numbered<T>(100);
  destination = source;
  EXPECT_EQ(destination.Pad, 100 + float(sizeof(T) / sizeof(float) - 1));
  destination.Pad = source.Pad;
  EXPECT_TRUE(SameBytes(destination, source)) << "every other field is copied";

  const T constructed(source);
  EXPECT_EQ(constructed.Pad, 0) << "a copy made fresh starts with a zero pad";
}

}  // namespace

TEST(LightRecords, DefaultsAreZeroAndCopiesKeepTheirPads) {
  ExpectCopyKeepsTheDestinationPad<DirectionalLight>();
  ExpectCopyKeepsTheDestinationPad<PointLight>();
  ExpectCopyKeepsTheDestinationPad<SpotLight>();
  EXPECT_TRUE(IsAllZero(ConstantLights{}));
}

TEST(LightObjects, HoldTheirRecordWithAZeroPad) {
  DirectionalLightObject directional(Numbered<DirectionalLight>(1));
  PointLightObject point(Numbered<PointLight>(1));
  SpotLightObject spot(Numbered<SpotLight>(1));
  EXPECT_EQ(static_cast<void*>(directional.GetLight()), static_cast<void*>(&directional));
  EXPECT_EQ(static_cast<void*>(point.GetLight()), static_cast<void*>(&point));
  EXPECT_EQ(static_cast<void*>(spot.GetLight()), static_cast<void*>(&spot));
  EXPECT_EQ(directional.GetLight()->Pad, 0);
  EXPECT_EQ(point.GetLight()->Pad, 0);
  EXPECT_EQ(spot.GetLight()->Pad, 0);
  EXPECT_EQ(directional.GetLight()->Ambient.x, 1);

  point.SetPosition(XMFLOAT3(4, 5, 6));
  EXPECT_EQ(point.GetPosition().y, 5);
  EXPECT_EQ(point.GetLight()->Position.z, 6);
  spot.SetPosition(XMFLOAT3(1, 2, 3));
  spot.SetDirection(XMFLOAT3(3, -4, 0));  // a plain copy, no wrap
  EXPECT_EQ(spot.GetPosition().x, 1);
  EXPECT_EQ(spot.GetDirection().x, 3);
  EXPECT_EQ(spot.GetLight()->Direction.y, -4);
}

TEST(LightObjects, DirectionalSetDirectionWrapsEachComponent) {
  const struct {
    XMFLOAT3 given, stored;
  } cases[] = {
      {{2, 0.5f, -3}, {-1, 0.5f, 1}},
      {{1.2f, -1.5f, 1}, {-1, 1, 1}},
      {{-1, 1, 0}, {-1, 1, 0}},
      {{0, -0.3f, 1}, {0, -0.3f, 1}},
  };
  DirectionalLightObject light(DirectionalLight{});
  for (const auto& c : cases) {
    light.SetDirection(c.given);
    const XMFLOAT3 d = light.GetDirection();
    EXPECT_EQ(d.x, c.stored.x);
    EXPECT_EQ(d.y, c.stored.y);
    EXPECT_EQ(d.z, c.stored.z);
    EXPECT_EQ(light.GetLight()->Direction.z, c.stored.z);
  }
}

TEST(LightPacking, TheSunAlone) {
  const DirectionalLight made = MakeDirectionalLight(XMFLOAT4(0.4f, 0.4f, 0.4f, 0.4f), XMFLOAT4(1, 1, 1, 1),
                                                     XMFLOAT4(0, 0, 0, 0), XMFLOAT3(0, -0.3f, 1));
  EXPECT_EQ(made.Ambient.w, 0.4f);
  EXPECT_EQ(made.Diffuse.x, 1);
  EXPECT_EQ(made.Direction.y, -0.3f);
  EXPECT_EQ(made.Pad, 0);

  DirectionalLightObject sun(made);
  const ConstantLights packed = PackLights({sun.GetLight()}, {}, {}, XMFLOAT3(0, 1, -5));
  EXPECT_TRUE(SameBytes(packed.Directional[0], made));
  for (size_t i = 1; i < MaxLightsPerKind; ++i) EXPECT_TRUE(IsAllZero(packed.Directional[i])) << i;
  for (size_t i = 0; i < MaxLightsPerKind; ++i) {
    EXPECT_TRUE(IsAllZero(packed.Point[i])) << i;
    EXPECT_TRUE(IsAllZero(packed.Spot[i])) << i;
  }
  EXPECT_EQ(packed.EyePosition.y, 1);
  EXPECT_EQ(packed.EyePosition.z, -5);

  // A change to the record shows in the next packing.
  sun.SetDirection(XMFLOAT3(2, 0.5f, -3));
  EXPECT_EQ(PackLights({sun.GetLight()}, {}, {}, XMFLOAT3(0, 0, 0)).Directional[0].Direction.x, -1);
}

TEST(LightPacking, EachKindGoesToItsArrayInOrderAndOnlyFiftyOfEach) {
  std::vector<std::unique_ptr<DirectionalLightObject>> directional;
  std::vector<std::unique_ptr<SpotLightObject>> spots;
  std::vector<std::unique_ptr<PointLightObject>> points;
  std::vector<DirectionalLight*> directionalList;
  std::vector<SpotLight*> spotList;
  std::vector<PointLight*> pointList;
  // The 51st light's values are the only negative ones.
  for (int i = 0; i < 51; ++i) {
    const float first = i < 50 ? 1000.0f + 20 * i : -5000.0f;
    directional.push_back(std::make_unique<DirectionalLightObject>(Numbered<DirectionalLight>(first)));
    directionalList.push_back(directional.back()->GetLight());
  }
  for (int i = 0; i < 3; ++i) {
    spots.push_back(std::make_unique<SpotLightObject>(Numbered<SpotLight>(2000 + i)));
    spotList.push_back(spots.back()->GetLight());
    points.push_back(std::make_unique<PointLightObject>(Numbered<PointLight>(3000 + i)));
    pointList.push_back(points.back()->GetLight());
  }
  pointList.insert(pointList.begin() + 1, nullptr);

  const ConstantLights packed = PackLights(directionalList, spotList, pointList, XMFLOAT3(7, 8, 9));
  for (size_t i = 0; i < MaxLightsPerKind; ++i) EXPECT_TRUE(SameBytes(packed.Directional[i], *directionalList[i])) << i;
  for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(SameBytes(packed.Spot[i], *spotList[i])) << i;
  EXPECT_TRUE(SameBytes(packed.Point[0], *pointList[0]));
  EXPECT_TRUE(IsAllZero(packed.Point[1])) << "a null entry leaves its slot empty";
  EXPECT_TRUE(SameBytes(packed.Point[2], *pointList[2]));
  EXPECT_TRUE(SameBytes(packed.Point[3], *pointList[3]));
  EXPECT_TRUE(IsAllZero(packed.Point[4]));
  EXPECT_TRUE(IsAllZero(packed.Spot[3]));
  EXPECT_EQ(packed.EyePosition.x, 7);
  EXPECT_EQ(packed.Padding, 0);

  // Nothing of the 51st light reaches the record.
  float floats[sizeof(ConstantLights) / sizeof(float)];
  std::memcpy(floats, &packed, sizeof(packed));
  for (float f : floats) ASSERT_GE(f, 0);
}
