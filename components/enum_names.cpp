#include "components/enum_names.h"

#include <initializer_list>
#include <string>
#include <vector>

#include "engine/type_name.h"

namespace {

template <typename Enum>
std::vector<int> ValuesInListOrder(std::initializer_list<Enum> enumerators) {
  std::vector<int> values;
  for (const Enum enumerator : enumerators) values.push_back(static_cast<int>(enumerator));
  return values;
}

}  // namespace

// Each table is built on first use and lives for the rest of the run. The name list is the
// exact text entity files are written with (messages quote it whole); the values are the
// enumerators in list order, so a table always follows the C++ enum's numbering.
#define KELVARIS_DEFINE_ENUM_NAMES(Enum, nameList, ...)                       \
  const EnumNameTable& EnumNames<Enum>::Table() {                             \
    using enum Enum;                                                          \
    static const EnumNameTable table(std::string(TypeName<Enum>()), nameList, \
                                     ValuesInListOrder<Enum>({__VA_ARGS__})); \
    return table;                                                             \
  }

KELVARIS_DEFINE_ENUM_NAMES(EmissionShape, "Point, Sphere, Box, Cone, FoliageMap", Point, Sphere,
                           Box, Cone, FoliageMap)

KELVARIS_DEFINE_ENUM_NAMES(Mode, "ORTHO, PERSPECTIVE", ORTHO, PERSPECTIVE)

// No blanks after the commas: "AABB" still matches, "AABB " does not.
KELVARIS_DEFINE_ENUM_NAMES(ColliderType, "AABB,CIRCLE,TILE,GROUND", AABB, CIRCLE, TILE, GROUND)

KELVARIS_DEFINE_ENUM_NAMES(RenderMode, "Mode3D, Mode2D", Mode3D, Mode2D)

KELVARIS_DEFINE_ENUM_NAMES(ParticleSpace, "Local, World", Local, World)

KELVARIS_DEFINE_ENUM_NAMES(RotationMode,
                           "RotationMode::Static, RotationMode::Uniform, RotationMode::NonUniform",
                           Static, Uniform, NonUniform)

KELVARIS_DEFINE_ENUM_NAMES(ScaleMode,
                           "ScaleMode::VelocityBased, ScaleMode::Dynamic, ScaleMode::Uniform, "
                           "ScaleMode::NonUniform",
                           VelocityBased, Dynamic, Uniform, NonUniform)

KELVARIS_DEFINE_ENUM_NAMES(WindEmitterType,
                           "WindEmitterType::Directional, WindEmitterType::Vortex, "
                           "WindEmitterType::Moving",
                           Directional, Vortex, Moving)

// Layer 4 has no name, and SCREENTONE_MASK (5) is listed before GAMEUI (2).
KELVARIS_DEFINE_ENUM_NAMES(
    FramebufferLayer,
    "Renderer::FramebufferLayer::DEFAULT_ONLY_FOR_USE_BY_RENDERER_I_WILL_FIND_AND_BERATE_YOU_IF_"
    "YOU_USE_THIS, Renderer::FramebufferLayer::SCENE, Renderer::FramebufferLayer::SCREENTONE_MASK, "
    "Renderer::FramebufferLayer::GAMEUI, Renderer::FramebufferLayer::MENUUI, "
    "Renderer::FramebufferLayer::FXAA",
    DEFAULT_ONLY_FOR_USE_BY_RENDERER_I_WILL_FIND_AND_BERATE_YOU_IF_YOU_USE_THIS, SCENE,
    SCREENTONE_MASK, GAMEUI, MENUUI, FXAA)

KELVARIS_DEFINE_ENUM_NAMES(ColliderLayer,
                           "ColliderLayer::DEFAULT, ColliderLayer::BULLET, ColliderLayer::PLAYER, "
                           "ColliderLayer::ENEMY, ColliderLayer::PLAYER_DASHING, "
                           "ColliderLayer::MEGA_BLOCK_ENEMY, ColliderLayer::PUSHER",
                           DEFAULT, BULLET, PLAYER, ENEMY, PLAYER_DASHING, MEGA_BLOCK_ENEMY, PUSHER)

KELVARIS_DEFINE_ENUM_NAMES(TextureComponent::InterpolationMode,
                           "TextureComponent::InterpolationMode::NEAREST, "
                           "TextureComponent::InterpolationMode::LINEAR",
                           NEAREST, LINEAR)

KELVARIS_DEFINE_ENUM_NAMES(TextureComponent::RepeatMode,
                           "TextureComponent::RepeatMode::CLAMP_TO_EDGE, "
                           "TextureComponent::RepeatMode::MIRRORED_REPEAT, "
                           "TextureComponent::RepeatMode::REPEAT",
                           CLAMP_TO_EDGE, MIRRORED_REPEAT, REPEAT)

#undef KELVARIS_DEFINE_ENUM_NAMES
