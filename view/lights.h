// The light records, laid out in 16-byte rows exactly as the light shader reads
// them, the objects that own them, and their packing into the light constants.
#pragma once

#include <DirectXMath.h>

#include <cstddef>
#include <vector>

// Every record starts all zero, pads included. Copying one copies every field but
// the pads, which keep the destination's value.
struct DirectionalLight {
  DirectX::XMFLOAT4 Ambient{};
  DirectX::XMFLOAT4 Diffuse{};
  DirectX::XMFLOAT4 Specular{};
  DirectX::XMFLOAT3 Direction{};
  float Pad = 0.0f;

  DirectionalLight() = default;
  DirectionalLight(const DirectionalLight& Other) { *this = Other; }
  DirectionalLight& operator=(const DirectionalLight& Other);
};

struct PointLight {
  DirectX::XMFLOAT4 Ambient{};
  DirectX::XMFLOAT4 Diffuse{};
  DirectX::XMFLOAT4 Specular{};
  DirectX::XMFLOAT3 Position{};
  float Range = 0.0f;
  DirectX::XMFLOAT3 Attenuation{};
  float Pad = 0.0f;

  PointLight() = default;
  PointLight(const PointLight& Other) { *this = Other; }
  PointLight& operator=(const PointLight& Other);
};

struct SpotLight {
  DirectX::XMFLOAT4 Ambient{};
  DirectX::XMFLOAT4 Diffuse{};
  DirectX::XMFLOAT4 Specular{};
  DirectX::XMFLOAT3 Position{};
  float Range = 0.0f;
  DirectX::XMFLOAT3 Direction{};
  float Falloff = 0.0f;
  DirectX::XMFLOAT3 Attenuation{};
  float Pad = 0.0f;

  SpotLight() = default;
  SpotLight(const SpotLight& Other) { *this = Other; }
  SpotLight& operator=(const SpotLight& Other);
};

DirectionalLight MakeDirectionalLight(const DirectX::XMFLOAT4& Ambient, const DirectX::XMFLOAT4& Diffuse,
                                      const DirectX::XMFLOAT4& Specular, const DirectX::XMFLOAT3& Direction);

// Each object holds its record as its only member, so the two share an address;
// GetLight hands out the pointer the light lists keep.
class DirectionalLightObject {
 public:
  explicit DirectionalLightObject(const DirectionalLight& Light) { this->Light = Light; }
  ~DirectionalLightObject() {}

  DirectionalLight* GetLight() { return &Light; }
  DirectX::XMFLOAT3 GetDirection() const { return Light.Direction; }
  // Components above 1 wrap to -1, then components below -1 wrap to 1.
  void SetDirection(const DirectX::XMFLOAT3& Direction);

 private:
  DirectionalLight Light;
};

class PointLightObject {
 public:
  explicit PointLightObject(const PointLight& Light) { this->Light = Light; }
  ~PointLightObject() {}

  PointLight* GetLight() { return &Light; }
  DirectX::XMFLOAT3 GetPosition() const { return Light.Position; }
  void SetPosition(const DirectX::XMFLOAT3& Position) { Light.Position = Position; }

 private:
  PointLight Light;
};

class SpotLightObject {
 public:
  explicit SpotLightObject(const SpotLight& Light) { this->Light = Light; }
  ~SpotLightObject() {}

  SpotLight* GetLight() { return &Light; }
  DirectX::XMFLOAT3 GetPosition() const { return Light.Position; }
  void SetPosition(const DirectX::XMFLOAT3& Position) { Light.Position = Position; }
  DirectX::XMFLOAT3 GetDirection() const { return Light.Direction; }
  void SetDirection(const DirectX::XMFLOAT3& Direction) { Light.Direction = Direction; }

 private:
  SpotLight Light;
};

// The light constant-buffer record: up to this many lights of each kind, then the
// camera position. Slots without a light stay all zero; there are no counts.
constexpr std::size_t MaxLightsPerKind = 50;

struct ConstantLights {
  DirectionalLight Directional[MaxLightsPerKind];
  PointLight Point[MaxLightsPerKind];
  SpotLight Spot[MaxLightsPerKind];
  DirectX::XMFLOAT3 EyePosition{};
  float Padding = 0.0f;
};

// The first MaxLightsPerKind lights of each list, in list order (null entries leave
// their slot zero), and the eye position.
ConstantLights PackLights(const std::vector<DirectionalLight*>& DirectionalLights,
                          const std::vector<SpotLight*>& SpotLights, const std::vector<PointLight*>& PointLights,
                          const DirectX::XMFLOAT3& EyePosition);

static_assert(sizeof(DirectionalLight) == 64);
static_assert(offsetof(DirectionalLight, Diffuse) == 16 && offsetof(DirectionalLight, Specular) == 32);
static_assert(offsetof(DirectionalLight, Direction) == 48 && offsetof(DirectionalLight, Pad) == 60);

static_assert(sizeof(PointLight) == 80);
static_assert(offsetof(PointLight, Diffuse) == 16 && offsetof(PointLight, Specular) == 32);
static_assert(offsetof(PointLight, Position) == 48 && offsetof(PointLight, Range) == 60);
static_assert(offsetof(PointLight, Attenuation) == 64 && offsetof(PointLight, Pad) == 76);

static_assert(sizeof(SpotLight) == 96);
static_assert(offsetof(SpotLight, Diffuse) == 16 && offsetof(SpotLight, Specular) == 32);
static_assert(offsetof(SpotLight, Position) == 48 && offsetof(SpotLight, Range) == 60);
static_assert(offsetof(SpotLight, Direction) == 64 && offsetof(SpotLight, Falloff) == 76);
static_assert(offsetof(SpotLight, Attenuation) == 80 && offsetof(SpotLight, Pad) == 92);

static_assert(sizeof(ConstantLights) == 12016);
static_assert(offsetof(ConstantLights, Point) == 3200 && offsetof(ConstantLights, Spot) == 7200);
static_assert(offsetof(ConstantLights, EyePosition) == 12000);

static_assert(sizeof(DirectionalLightObject) == sizeof(DirectionalLight));
static_assert(sizeof(PointLightObject) == sizeof(PointLight));
static_assert(sizeof(SpotLightObject) == sizeof(SpotLight));
