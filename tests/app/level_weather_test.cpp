// The whole game on the first level in clear weather (0) and in rain (3), in its 1280 x 720
// window: the rain greys and darkens the level's ground (floor tiles and grass), and its drops
// show across the view. Around the map the level draws nothing: the window stays black there.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/startup.h"
#include "engine/decs.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"
#include "engine/user_folders.h"
#include "gameplay/weather_system.h"
#include "tests/app/running_game.h"
#include "tests/support/image_compare.h"
#include "tests/support/temp_folder.h"

namespace {

using testing_support::Image;

// Three level-1 frames in `weather`, 0.2 s apart, from one second after the level has faded
// in. The level is reached by a scene change, as in a run, so the weather of its load applies.
std::vector<Image> LevelFrames(int weather) {
  testing_support::ScopedTempHome home;
  CreateUserFolders();
  std::ofstream(GetSaveDataFolder() + "/settings.json")
      << "{\"Fullscreen\": 0, \"WindowedResolution.X\": 1280, \"WindowedResolution.Y\": 720}\n";
  testing_support::RunningGame game;
  DECS::Instance().GetManager<SystemManager>()->GetSystem<WeatherSystem>()->SetLevelWeather(
      1, weather);
  EXPECT_TRUE(game.ShowScene("splash_scene"));
  testing::internal::CaptureStdout();
  DECS::Instance().GetManager<MessagingManager>()->PostFormatted("scene level1_scene", 1);
  int passes = 0;
  while (game.SceneTimer() == 0.0f && passes++ < 50) game.Step();  // the fade out starts
  while (game.SceneTimer() > 0.0f && passes++ < 100) game.Step();  // out, load, fade in
  std::vector<Image> frames;
  for (int pass = 1; pass <= 14; ++pass) {
    game.Step();
    if (pass >= 10 && pass % 2 == 0) frames.push_back(game.picture);
  }
  testing::internal::GetCapturedStdout();
  EXPECT_LT(passes, 100) << "the level never finished fading in";
  if (const char* folder = std::getenv("KELVARIS_SCENE_SHOTS")) {
    testing_support::SavePng(
        std::string(folder) + "/level1_weather" + std::to_string(weather) + ".png", frames.back());
  }
  return frames;
}

// A rectangle of the 1280 x 720 frame, in pixels.
struct Region {
  int left, top, right, bottom;
};
// Inside the map, left of the hint dialog: floor tiles and grass.
constexpr Region kGround{430, 120, 800, 330};
// Below the map: nothing of the level is drawn there, so only what falls through the air shows.
constexpr Region kBelowTheMap{0, 490, 1280, 640};

struct Tone {
  double saturation = 0.0;  // mean HSV saturation, 0..1
  double value = 0.0;       // mean HSV value, 0..1
};

Tone MeanTone(const Image& image, const Region& region) {
  Tone tone;
  for (int y = region.top; y < region.bottom; ++y) {
    for (int x = region.left; x < region.right; ++x) {
      const auto pixel = image.At(x, y);
      const int high = std::max({pixel[0], pixel[1], pixel[2]});
      const int low = std::min({pixel[0], pixel[1], pixel[2]});
      tone.saturation += high > 0 ? static_cast<double>(high - low) / high : 0.0;
      tone.value += high / 255.0;
    }
  }
  const double pixels =
      static_cast<double>(region.right - region.left) * (region.bottom - region.top);
  return {tone.saturation / pixels, tone.value / pixels};
}

// Pixels of the region, summed over the frames, where something clearly bluish was drawn: the
// pale blue drops of the rain. The calm weather's motes are yellowish white.
int RainPixels(const std::vector<Image>& frames, const Region& region) {
  int count = 0;
  for (const Image& image : frames) {
    for (int y = region.top; y < region.bottom; ++y) {
      for (int x = region.left; x < region.right; ++x) {
        const auto pixel = image.At(x, y);
        if (pixel[3] > 0 && pixel[2] >= 80 && pixel[2] > pixel[0] + 8) ++count;
      }
    }
  }
  return count;
}

TEST(LevelWeather, RainGreysAndDarkensTheGroundAndItsDropsShow) {
  const std::vector<Image> clear = LevelFrames(0);
  const std::vector<Image> rainy = LevelFrames(3);
  for (const Image& frame : {clear.back(), rainy.back()}) {
    ASSERT_EQ(frame.width, 1280);
    ASSERT_EQ(frame.height, 720);
  }
  // Rain takes the ground's saturation to 0.4 of its colour and its brightness to 0.9.
  const Tone clearGround = MeanTone(clear.back(), kGround);
  const Tone rainyGround = MeanTone(rainy.back(), kGround);
  EXPECT_GT(clearGround.saturation - rainyGround.saturation, 0.25)
      << clearGround.saturation << " in clear weather, " << rainyGround.saturation << " in rain";
  EXPECT_LT(rainyGround.value, clearGround.value * 0.95)
      << clearGround.value << " in clear weather, " << rainyGround.value << " in rain";
  EXPECT_GT(RainPixels(rainy, kBelowTheMap), 600) << "rain pixels below the map";
  EXPECT_EQ(RainPixels(clear, kBelowTheMap), 0) << "rain pixels below the map in clear weather";
}

}  // namespace
