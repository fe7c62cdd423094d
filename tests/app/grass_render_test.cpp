// The whole game on the meadow level: its grass shows in the window, switching the grass off
// ("gst") takes it away again, and the wind view ("wstv") draws over the bare level, leaving
// the renderer's line width as it found it.

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/startup.h"
#include "components/wind_emitter.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/messaging_manager.h"
#include "render/renderer.h"
#include "tests/app/running_game.h"
#include "tests/support/image_compare.h"
#include "tests/support/temp_folder.h"

namespace {

using testing_support::Image;

// Pixels whose green clearly outweighs red and blue.
int GreenPixels(const Image& picture) {
  int count = 0;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const auto pixel = picture.At(x, y);
      if (pixel[1] > pixel[0] + 20 && pixel[1] > pixel[2] + 20) ++count;
    }
  }
  return count;
}

TEST(GrassRender, TheMeadowShowsGrassUntilItIsSwitchedOff) {
  testing_support::ScopedTempHome home;
  CreateUserFolders();
  testing_support::RunningGame game;
  ASSERT_TRUE(game.ShowScene("level1_scene")) << "the level never finished fading in";
  const Image withGrass = game.picture;

  // The level's wind emitters come from prefabs whose strength walks inside its range.
  DECS& decs = DECS::Instance();
  for (const char* alias : {"MeadowBreeze", "MeadowEddy"}) {
    const WindEmitter* wind = decs.GetManager<ComponentManager>()->GetComponent<WindEmitter>(
        decs.GetManager<EntityManager>()->FindEntity(alias));
    ASSERT_NE(wind, nullptr) << alias;
    EXPECT_GE(wind->_strength, wind->_strengthVariationRange.x) << alias;
    EXPECT_GT(wind->_strength, 0.0f) << alias;
  }

  decs.GetManager<MessagingManager>()->PostFormatted("gst", 1);
  for (int i = 0; i < 3; ++i) game.Step();
  const Image withoutGrass = game.picture;

  ASSERT_EQ(withGrass.width, withoutGrass.width);
  const int pixels = withGrass.width * withGrass.height;
  const int grass = GreenPixels(withGrass);
  const int bare = GreenPixels(withoutGrass);
  EXPECT_GT(grass - bare, pixels / 50)
      << "grass covers " << grass << " green pixels, " << bare << " without it, of " << pixels;

  // The wind view draws a line per wind sample over the bare level.
  decs.GetManager<MessagingManager>()->PostFormatted("wstv", 1);
  for (int i = 0; i < 3; ++i) game.Step();
  int changed = 0;
  for (int y = 0; y < withoutGrass.height; ++y) {
    for (int x = 0; x < withoutGrass.width; ++x) {
      const auto before = withoutGrass.At(x, y);
      const auto after = game.picture.At(x, y);
      if (std::abs(before[0] - after[0]) + std::abs(before[1] - after[1]) +
              std::abs(before[2] - after[2]) >
          60) {
        ++changed;
      }
    }
  }
  EXPECT_GT(changed, pixels / 20) << "the wind view changed " << changed << " pixels";

  // The view draws its lines wider and gives the renderer's line width back as it found it.
  Renderer& renderer = Renderer::Instance();
  renderer.SetLineWidth(2.0f);
  ASSERT_EQ(renderer.LineWidth(), 2.0f) << "the game's context draws wide lines";
  game.Step();
  float width = 0.0f;
  glGetFloatv(GL_LINE_WIDTH, &width);
  EXPECT_EQ(width, 2.0f);
  EXPECT_EQ(renderer.LineWidth(), 2.0f);
  renderer.SetLineWidth(1.0f);
}

}  // namespace
