#include "view/lights.h"

using namespace DirectX;

DirectionalLight& DirectionalLight::operator=(const DirectionalLight& Other) {
  Ambient = Other.Ambient;
  Diffuse = Other.Diffuse;
  Specular = Other.Specular;
  Direction = Other.Direction;
  return *this;
}

PointLight& PointLight::operator=(const PointLight& Other) {
  Ambient = Other.Ambient;
  Diffuse = Other.Diffuse;
  Specular = Other.Specular;
  Position = Other.Position;
  Range = Other.Range;
  Attenuation = Other.Attenuation;
  return *this;
}

SpotLight& SpotLight::operator=(const SpotLight& Other) {
  Ambient = Other.Ambient;
  Diffuse = Other.Diffuse;
  Specular = Other.Specular;
  Position = Other.Position;
  Range = Other.Range;
  Direction = Other.Direction;
  Falloff = Other.Falloff;
  Attenuation = Other.Attenuation;
  return *this;
}

DirectionalLight MakeDirectionalLight(const XMFLOAT4& Ambient, const XMFLOAT4& Diffuse, const XMFLOAT4& Specular,
                                      const XMFLOAT3& Direction) {
  DirectionalLight light;
  light.Ambient = Ambient;
  light.Diffuse = Diffuse;
  light.Specular = Specular;
  light.Direction = Direction;
  return light;
}

void DirectionalLightObject::SetDirection(const XMFLOAT3& Direction) {
  Light.Direction = Direction;
  for (float* c : {&Light.Direction.x, &Light.Direction.y, &Light.Direction.z}) {
    if (*c > 1.0f) *c = -1.0f;
    if (*c < -1.0f) *c = 1.0f;
  }
}

namespace {

template <typename Record>
void PackList(const std::vector<Record*>& List, Record (&Slots)[MaxLightsPerKind]) {
  for (std::size_t i = 0; i < List.size() && i < MaxLightsPerKind; ++i)
    if (List[i]) Slots[i] = *List[i];
}

}  // namespace

ConstantLights PackLights(const std::vector<DirectionalLight*>& DirectionalLights,
                          const std::vector<SpotLight*>& SpotLights, const std::vector<PointLight*>& PointLights,
                          const XMFLOAT3& EyePosition) {
  ConstantLights packed;
  PackList(DirectionalLights, packed.Directional);
  PackList(SpotLights, packed.Spot);
  PackList(PointLights, packed.Point);
  packed.EyePosition = EyePosition;
  return packed;
}
