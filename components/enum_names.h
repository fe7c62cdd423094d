#pragma once
// Names of the enum values that component files may hold.
//
// Entity and prefab files name enum values by text, never by number. Each enum below has one
// EnumNameTable (engine/enum_table.h): its run-time type name ("enum ColliderLayer"), its name
// list exactly as files spell it, and the value of each name in list order.
//
//   ColliderLayer layer = ParseEnumString<ColliderLayer>("ColliderLayer::PLAYER");  // PLAYER
//   std::string_view name = EnumValueName(FramebufferLayer::FXAA);
//       // "Renderer::FramebufferLayer::FXAA"
//
// The first five lists use bare names ("Point", "ORTHO", "AABB", "Mode3D", "Local"); the others
// are qualified with "::" ("ColliderLayer::PLAYER"). Matching is exact and case-sensitive.
// An unknown name throws std::runtime_error
//   "Invalid enum string: <text>. Valid values are: <the whole list>".

#include <concepts>
#include <string_view>
#include <type_traits>

#include "components/camera.h"
#include "components/collider.h"
#include "components/component_enums.h"
#include "components/particle_emitter.h"
#include "components/texture_component.h"
#include "components/wind_emitter.h"
#include "engine/enum_table.h"

// EnumNames<Enum>::Table() returns the enum's name table; only the enums below have one.
template <typename Enum>
struct EnumNames {};

#define KELVARIS_DECLARE_ENUM_NAMES(Enum) \
  template <>                             \
  struct EnumNames<Enum> {                \
    static const EnumNameTable& Table();  \
  }

KELVARIS_DECLARE_ENUM_NAMES(EmissionShape);
KELVARIS_DECLARE_ENUM_NAMES(Mode);
KELVARIS_DECLARE_ENUM_NAMES(ColliderType);
KELVARIS_DECLARE_ENUM_NAMES(RenderMode);
KELVARIS_DECLARE_ENUM_NAMES(ParticleSpace);
KELVARIS_DECLARE_ENUM_NAMES(RotationMode);
KELVARIS_DECLARE_ENUM_NAMES(ScaleMode);
KELVARIS_DECLARE_ENUM_NAMES(WindEmitterType);
KELVARIS_DECLARE_ENUM_NAMES(FramebufferLayer);
KELVARIS_DECLARE_ENUM_NAMES(ColliderLayer);
KELVARIS_DECLARE_ENUM_NAMES(TextureComponent::InterpolationMode);
KELVARIS_DECLARE_ENUM_NAMES(TextureComponent::RepeatMode);

#undef KELVARIS_DECLARE_ENUM_NAMES

// An enum that component files name by text.
template <typename Enum>
concept NamedEnum = std::is_enum_v<Enum> && requires {
  { EnumNames<Enum>::Table() } -> std::same_as<const EnumNameTable&>;
};

// The value whose name equals `text` exactly; throws std::runtime_error when none does.
template <NamedEnum Enum>
Enum ParseEnumString(std::string_view text) {
  return static_cast<Enum>(EnumNames<Enum>::Table().Parse(text));
}

// The name of the first list entry with `value`, valid for the whole run; an empty view with a
// null data() for a value that has no name (Renderer::FramebufferLayer 4, or a cast int).
template <NamedEnum Enum>
std::string_view EnumValueName(Enum value) {
  return EnumNames<Enum>::Table().ValueName(static_cast<int>(value));
}
