// The whole game starting up: after a few frames, the window shows the splash scene.
// Where each texel of the splash wordmark must appear is worked out from the scene's own
// entities and the camera system's view, so the check follows the scene file and the window
// size rather than fixed coordinates.

#include <gtest/gtest.h>

#include <glm/glm.hpp>
#include <memory>
#include <string>

#include "app/startup.h"
#include "components/mesh_component.h"
#include "components/texture_component.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/system_manager.h"
#include "render/camera_system.h"
#include "tests/app/running_game.h"
#include "tests/support/image_compare.h"
#include "tests/support/temp_folder.h"

namespace {

using testing_support::Image;

TEST(SplashRender, StartingTheGameShowsTheSplashSceneInTheWindow) {
  testing_support::ScopedTempHome home;
  CreateUserFolders();
  testing_support::RunningGame game;
  // The scene fades in from black over two seconds of game time; look once the fade is over and
  // a few more frames have been drawn.
  ASSERT_TRUE(game.ShowScene("splash_scene")) << "the splash scene never finished fading in";

  DECS& decs = DECS::Instance();
  const auto entities = decs.GetManager<EntityManager>();
  const auto components = decs.GetManager<ComponentManager>();
  const int logo = entities->FindEntity("SplashLogo");
  ASSERT_NE(logo, kNoEntity) << "the splash scene has no SplashLogo";
  const auto cameras = decs.GetSystem<CameraSystem>();
  ASSERT_TRUE(cameras->HasLayerCamera(1));
  const glm::mat4 toClip = cameras->FindLayerCamera(1)->viewProjection *
                           components->GetComponent<Transform>(logo)->modelMatrix;
  Image texture;
  ASSERT_TRUE(testing_support::LoadPng(
      components->GetComponent<TextureComponent>(logo)->_albedoPath, texture));

  // Every texel centre of the wordmark, through the quad (-0.5..0.5, texture v up) and the
  // camera to a window pixel: opaque texels show their colour (the scene's white ambient light
  // leaves it as drawn), transparent ones the black behind.
  const Image& picture = game.picture;
  int compared = 0;
  int wrong = 0;
  std::string firstWrong;
  for (int row = 0; row < texture.height; ++row) {
    for (int column = 0; column < texture.width; ++column) {
      const glm::vec4 local(
          (static_cast<float>(column) + 0.5f) / static_cast<float>(texture.width) - 0.5f,
          0.5f - (static_cast<float>(row) + 0.5f) / static_cast<float>(texture.height), 0.0f, 1.0f);
      const glm::vec4 clip = toClip * local;
      const int x =
          static_cast<int>((clip.x / clip.w + 1.0f) * 0.5f * static_cast<float>(picture.width));
      const int y = static_cast<int>((1.0f - (clip.y / clip.w + 1.0f) * 0.5f) *
                                     static_cast<float>(picture.height));
      if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) continue;
      const auto texel = texture.At(column, row);
      if (texel[3] != 0 && texel[3] != 255) continue;  // edges blended by alpha
      const auto shown = picture.At(x, y);
      ++compared;
      for (std::size_t channel = 0; channel < 3; ++channel) {
        const int expected = texel[3] == 255 ? texel[channel] : 0;
        if (std::abs(shown[channel] - expected) > 3) {
          if (wrong++ == 0) {
            firstWrong = "texel (" + std::to_string(column) + ", " + std::to_string(row) +
                         ") at window pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                         ") shows (" + std::to_string(shown[0]) + ", " + std::to_string(shown[1]) +
                         ", " + std::to_string(shown[2]) + ")";
          }
          break;
        }
      }
    }
  }
  EXPECT_GT(compared, texture.width * texture.height / 2) << "the wordmark is mostly off screen";
  EXPECT_EQ(wrong, 0) << firstWrong;
  // And the corners of the window are the black behind the scene.
  for (const auto& corner : {picture.At(0, 0), picture.At(picture.width - 1, picture.height - 1)}) {
    EXPECT_EQ(corner[0] + corner[1] + corner[2], 0);
  }
}

}  // namespace
