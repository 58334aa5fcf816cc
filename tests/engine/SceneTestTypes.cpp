// Registers the test stand-ins of SceneTestSupport.h with the type registry.
#include "SceneTestSupport.h"

namespace {
const auto& graphicsType = registerType<Graphics>();
const auto& bodyType = registerType<Body>();
const auto& countingType = registerType<CountingComponent>();
const auto& stateComponentType = registerType<TestStateComponent>();
const auto& otherStateComponentType = registerType<OtherStateComponent>();
const auto& textureType = registerType<TestTexture>();
const auto& soundType = registerType<TestSound>();
}  // namespace
