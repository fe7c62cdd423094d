#include "components/enum_names.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// One row per enum that component files name: its run-time type name and list, a name that
// parses (with the enumerator it must give) and a near miss that must not.
struct EnumCase {
  std::string typeName;
  std::string nameList;
  std::string goodName;
  int expected;
  std::string nearMiss;
  std::vector<int> values;  // in list order
  const EnumNameTable* table;
  std::function<int(std::string_view)> parse;  // ParseEnumString of the row's enum
  std::function<std::string_view(int)> name;   // EnumValueName of the row's enum
};

template <NamedEnum Enum>
EnumCase Row(const char* typeName, const char* nameList, std::vector<int> values,
             const char* goodName, Enum expected, const char* nearMiss) {
  return {typeName,
          nameList,
          goodName,
          static_cast<int>(expected),
          nearMiss,
          std::move(values),
          &EnumNames<Enum>::Table(),
          [](std::string_view text) { return static_cast<int>(ParseEnumString<Enum>(text)); },
          [](int value) { return EnumValueName(static_cast<Enum>(value)); }};
}

std::vector<EnumCase> AllEnums() {
  return {
      Row("enum EmissionShape", "Point, Sphere, Box, Cone, FoliageMap", {0, 1, 2, 3, 4},
          "FoliageMap", EmissionShape::FoliageMap, "EmissionShape::FoliageMap"),
      Row("enum Mode", "ORTHO, PERSPECTIVE", {0, 1}, "ORTHO", Mode::ORTHO, " ORTHO"),
      Row("enum ColliderType", "AABB,CIRCLE,TILE,GROUND", {0, 1, 2, 3}, "AABB", ColliderType::AABB,
          "AABB "),
      Row("enum RenderMode", "Mode3D, Mode2D", {0, 1}, "Mode2D", RenderMode::Mode2D, "mode2D"),
      Row("enum ParticleSpace", "Local, World", {0, 1}, "Local", ParticleSpace::Local, "Local,"),
      Row("enum RotationMode",
          "RotationMode::Static, RotationMode::Uniform, RotationMode::NonUniform", {0, 1, 2},
          "RotationMode::NonUniform", RotationMode::NonUniform, "NonUniform"),
      Row("enum ScaleMode",
          "ScaleMode::VelocityBased, ScaleMode::Dynamic, ScaleMode::Uniform, "
          "ScaleMode::NonUniform",
          {0, 1, 2, 3}, "ScaleMode::VelocityBased", ScaleMode::VelocityBased,
          "ScaleMode::Velocity"),
      Row("enum WindEmitterType",
          "WindEmitterType::Directional, WindEmitterType::Vortex, WindEmitterType::Moving",
          {0, 1, 2}, "WindEmitterType::Vortex", WindEmitterType::Vortex, "WindEmitterType::vortex"),
      Row("enum Renderer::FramebufferLayer",
          "Renderer::FramebufferLayer::DEFAULT_ONLY_FOR_USE_BY_RENDERER_I_WILL_FIND_AND_BERATE_"
          "YOU_IF_YOU_USE_THIS, Renderer::FramebufferLayer::SCENE, "
          "Renderer::FramebufferLayer::SCREENTONE_MASK, Renderer::FramebufferLayer::GAMEUI, "
          "Renderer::FramebufferLayer::MENUUI, Renderer::FramebufferLayer::FXAA",
          {0, 1, 5, 2, 3, 6}, "Renderer::FramebufferLayer::SCREENTONE_MASK",
          FramebufferLayer::SCREENTONE_MASK, "FramebufferLayer::SCREENTONE_MASK"),
      Row("enum ColliderLayer",
          "ColliderLayer::DEFAULT, ColliderLayer::BULLET, ColliderLayer::PLAYER, "
          "ColliderLayer::ENEMY, ColliderLayer::PLAYER_DASHING, ColliderLayer::MEGA_BLOCK_ENEMY, "
          "ColliderLayer::PUSHER",
          {0, 1, 2, 3, 4, 5, 6}, "ColliderLayer::PLAYER", ColliderLayer::PLAYER, "PLAYER"),
      Row("enum TextureComponent::InterpolationMode",
          "TextureComponent::InterpolationMode::NEAREST, "
          "TextureComponent::InterpolationMode::LINEAR",
          {0, 1}, "TextureComponent::InterpolationMode::LINEAR",
          TextureComponent::InterpolationMode::LINEAR, "InterpolationMode::LINEAR"),
      Row("enum TextureComponent::RepeatMode",
          "TextureComponent::RepeatMode::CLAMP_TO_EDGE, "
          "TextureComponent::RepeatMode::MIRRORED_REPEAT, TextureComponent::RepeatMode::REPEAT",
          {0, 1, 2}, "TextureComponent::RepeatMode::MIRRORED_REPEAT",
          TextureComponent::RepeatMode::MIRRORED_REPEAT, "TextureComponent::RepeatMode::REPEAT "),
  };
}

TEST(EnumNames, EveryEnumParsesItsNamesExactlyAndReportsNearMisses) {
  for (const EnumCase& row : AllEnums()) {
    SCOPED_TRACE(row.typeName);
    EXPECT_EQ(row.table->TypeName(), row.typeName);
    EXPECT_EQ(row.table->NameList(), row.nameList);
    EXPECT_EQ(row.parse(row.goodName), row.expected);
    EXPECT_EQ(row.name(row.expected), row.goodName);
    try {
      row.parse(row.nearMiss);
      ADD_FAILURE() << "'" << row.nearMiss << "' parsed";
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(std::string(error.what()),
                "Invalid enum string: " + row.nearMiss + ". Valid values are: " + row.nameList);
    }
  }
}

TEST(EnumNames, EveryNameParsesToItsValueInListOrder) {
  for (const EnumCase& row : AllEnums()) {
    SCOPED_TRACE(row.typeName);
    std::string_view rest = row.nameList;
    for (const int value : row.values) {
      const std::size_t comma = rest.find(',');
      std::string_view entry = rest.substr(0, comma);
      while (!entry.empty() && entry.front() == ' ') entry.remove_prefix(1);
      EXPECT_EQ(row.parse(entry), value) << entry;
      EXPECT_EQ(row.name(value), entry);
      rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    EXPECT_TRUE(rest.empty()) << "names left over: " << rest;
  }
}

TEST(EnumNames, FramebufferLayersKeepTheirNumbersAndValueFourHasNoName) {
  EXPECT_EQ(ParseEnumString<FramebufferLayer>("Renderer::FramebufferLayer::SCREENTONE_MASK"),
            FramebufferLayer::SCREENTONE_MASK);
  EXPECT_EQ(static_cast<int>(ParseEnumString<FramebufferLayer>("Renderer::FramebufferLayer::FXAA")),
            6);
  EXPECT_EQ(
      static_cast<int>(ParseEnumString<FramebufferLayer>("Renderer::FramebufferLayer::GAMEUI")), 2);
  const std::string_view missing = EnumValueName(static_cast<FramebufferLayer>(4));
  EXPECT_TRUE(missing.empty());
  EXPECT_EQ(missing.data(), nullptr);
  EXPECT_EQ(EnumValueName(static_cast<Mode>(7)).data(), nullptr);
}

}  // namespace
