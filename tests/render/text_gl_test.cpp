// TrueType and sprite text reaching the window through the real renderer. The engine's loop
// runs as in the game: the systems update (the TrueType atlas is built) and render (glyphs are
// queued, sprite texts drawn), then the renderer draws, clears and composites its layers. The
// 64 x 64 test window is read back after the frame.
//
// Where each texel of each character must land is worked out from the draws the two systems
// made (caught on their way to the renderer) and from the font pictures themselves (the atlas
// read back from GL, the sprite font from its PNG), so the check follows the layout, which the
// headless tests pin down, rather than fixed pixels.

#include <glad/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <glm/glm.hpp>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "components/sprite_text.h"
#include "components/texture_component.h"
#include "components/transform.h"
#include "components/ttf.h"
#include "render/renderer.h"
#include "render/resource_cache.h"
#include "render/sprite_text_system.h"
#include "render/ttf_system.h"
#include "tests/render/render_test_scene.h"
#include "tests/support/gl_test_environment.h"
#include "tests/support/image_compare.h"

namespace {

using testing_support::Image;
using testing_support::kTestWindowHeight;
using testing_support::kTestWindowWidth;

constexpr const char* kSpriteFont = "GAME/Assets/Textures/sprite_font.png";

// Passes the glyph draws on to the renderer and keeps a copy.
class TeeDrawQueue final : public DrawQueue {
 public:
  explicit TeeDrawQueue(DrawQueue& next) : next(next) {}
  void QueueDraw(const DrawRequest& draw) override {
    draws.push_back(draw);
    next.QueueDraw(draw);
  }
  DrawQueue& next;
  std::vector<DrawRequest> draws;
};

// Passes the sprite texts on to the game's canvas and keeps their characters.
class TeeCanvas final : public SpriteTextCanvas {
 public:
  explicit TeeCanvas(SpriteTextCanvas& next) : next(next) {}
  glm::ivec2 WindowSize() const override { return next.WindowSize(); }
  void Begin() override { next.Begin(); }
  void Draw(int fontTexture, std::span<const SpriteCharacter> characters) override {
    texts.emplace_back(characters.begin(), characters.end());
    next.Draw(fontTexture, characters);
  }
  void Finish() override { next.Finish(); }
  SpriteTextCanvas& next;
  std::vector<std::vector<SpriteCharacter>> texts;
};

// The window pixel (column, row from the top) of a point in clip space.
std::array<int, 2> WindowPixel(const glm::vec4& clip) {
  return {static_cast<int>(std::floor((clip.x / clip.w + 1.0f) * 0.5f * kTestWindowWidth)),
          static_cast<int>(std::floor((1.0f - clip.y / clip.w) * 0.5f * kTestWindowHeight))};
}

// Counts texels compared and the ones shown wrong, naming the first.
struct Tally {
  int compared = 0;
  int wrong = 0;
  std::string firstWrong;

  void Compare(const Image& picture, std::array<int, 2> pixel, glm::vec3 expected,
               const std::string& what) {
    if (pixel[0] < 0 || pixel[1] < 0 || pixel[0] >= picture.width || pixel[1] >= picture.height)
      return;
    ++compared;
    const auto shown = picture.At(pixel[0], pixel[1]);
    for (int channel = 0; channel < 3; ++channel) {
      if (std::abs(shown[channel] - static_cast<int>(std::lround(expected[channel] * 255.0f))) <= 3)
        continue;
      if (wrong++ == 0) {
        firstWrong = what + " at window pixel (" + std::to_string(pixel[0]) + ", " +
                     std::to_string(pixel[1]) + ") shows (" + std::to_string(shown[0]) + ", " +
                     std::to_string(shown[1]) + ", " + std::to_string(shown[2]) + ")";
      }
      return;
    }
  }
};

class TextGlTest : public testing_support::RenderTestScene {
 protected:
  void SetUp() override {
    RenderTestScene::SetUp();
    glViewport(0, 0, kTestWindowWidth, kTestWindowHeight);
    testing::internal::CaptureStdout();
    cache = std::make_unique<ResourceCache>(MakeGlBackend());
    renderer = std::make_unique<Renderer>(*cache);
    decs->SetResourceProvider(cache.get());
    decs->SetFrameRenderer(renderer.get());
    layerCanvas = std::make_unique<SpriteTextLayerCanvas>(*renderer);
    glyphs = std::make_unique<TeeDrawQueue>(*renderer);
    spriteTexts = std::make_unique<TeeCanvas>(*layerCanvas);
    systems->RegisterSystem<TTFSystem>()->SetDrawQueue(glyphs.get());
    systems->RegisterSystem<SpriteTextSystem>()->SetCanvas(spriteTexts.get());
    testing::internal::GetCapturedStdout();
  }

  void TearDown() override {
    decs->SetFrameRenderer(nullptr);
    decs->SetResourceProvider(nullptr);
    layerCanvas.reset();
    renderer.reset();
    cache.reset();
    RenderTestScene::TearDown();
  }

  // One pass of the engine's loop over a window cleared to black, read back afterwards; the
  // tees keep the last frame's draws.
  Image Frame() {
    glyphs->draws.clear();
    spriteTexts->texts.clear();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    clock->Advance(1.0);
    decs->Update();
    return testing_support::ReadFramebufferPixels(0, 0, kTestWindowWidth, kTestWindowHeight);
  }

  std::unique_ptr<ResourceCache> cache;
  std::unique_ptr<Renderer> renderer;
  std::unique_ptr<SpriteTextLayerCanvas> layerCanvas;
  std::unique_ptr<TeeDrawQueue> glyphs;
  std::unique_ptr<TeeCanvas> spriteTexts;
};

TEST_F(TextGlTest, TrueTypeAndSpriteTextReachTheWindow) {
  // "Hi" in the scene layer, in the upper half; with no camera the scene is clip space, and a
  // 64 px atlas cell becomes 64 window pixels, one atlas texel per pixel.
  const int trueType = CreateEntity("true type");
  TTF ttf;
  ttf._fontFilePath = "./GAME/Assets/Fonts/DejaVuSans.ttf";
  ttf._fontSize = 32.0f;
  ttf._text = "Hi";
  ttf._color = {1.0f, 0.5f, 0.0f};
  Add<Transform>(trueType, Transform({-0.5f, 0.1f, 0.0f}, {}, {2.0f, 2.0f, 1.0f}));
  Add<TTF>(trueType, ttf);

  // "A" in white and "b" in cyan in the lower half, on the interface layer: 720 reference
  // units are the window's 64 pixels, so a 180 x 225 character is 16 x 20 pixels, two per
  // texel of its 8 x 10 cell.
  const int sprite = CreateEntity("sprite text");
  SpriteText text;
  text._text = "A\\c0990b";
  text._anchorX = "left";
  text._anchorY = "top";
  Add<SpriteText>(sprite, text);
  Add<Transform>(sprite, Transform({90.0f, 405.0f, 0.0f}, {}, {180.0f, 225.0f, 1.0f}));
  TextureComponent texture;
  texture.albedoTexture = cache->GetTexture(kSpriteFont, GL_NEAREST, GL_NEAREST, GL_CLAMP_TO_EDGE);
  Add<TextureComponent>(sprite, texture);

  testing::internal::CaptureStdout();
  Frame();
  const Image picture = Frame();
  testing::internal::GetCapturedStdout();

  // TrueType: the texels inside a glyph's stroke (coverage full in their whole 3 x 3
  // neighbourhood, so filtering cannot soften them) show the text's colour.
  const TTF& loaded = *components->GetComponent<TTF>(trueType);
  ASSERT_EQ(loaded.loaded, 1);
  ASSERT_EQ(glyphs->draws.size(), 2u);
  const int width = loaded.atlasWidth;
  const int height = loaded.atlasHeight;
  std::vector<std::uint8_t> atlas(static_cast<std::size_t>(width) * height * 4);
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(loaded.atlasTexture));
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, atlas.data());
  const auto coverage = [&](int x, int y) {
    return atlas[(static_cast<std::size_t>(y) * width + x) * 4 + 3];
  };
  const int cellWidth = width / 16;
  const int cellHeight = height / 8;
  Tally trueTypeTally;
  for (const DrawRequest& draw : glyphs->draws) {
    const int left = static_cast<int>(std::lround(draw.cellOffset.x * width));
    const int bottom = static_cast<int>(std::lround(draw.cellOffset.y * height));
    for (int y = bottom + 1; y < bottom + cellHeight - 1; ++y) {
      for (int x = left + 1; x < left + cellWidth - 1; ++x) {
        bool inside = true;
        for (int dy = -1; dy <= 1 && inside; ++dy) {
          for (int dx = -1; dx <= 1 && inside; ++dx) inside = coverage(x + dx, y + dy) == 255;
        }
        if (!inside) continue;
        const glm::vec4 local((static_cast<float>(x - left) + 0.5f) / cellWidth,
                              (static_cast<float>(y - bottom) + 0.5f) / cellHeight, 0.0f, 1.0f);
        trueTypeTally.Compare(picture, WindowPixel(draw.model * local), ttf._color,
                              "atlas texel (" + std::to_string(x) + ", " + std::to_string(y) + ")");
      }
    }
  }
  EXPECT_GE(trueTypeTally.compared, 10) << "the strokes of \"Hi\" are missing";
  EXPECT_EQ(trueTypeTally.wrong, 0) << trueTypeTally.firstWrong;

  // Sprite text: every texel of each character's cell, drawn ones in the character's first
  // colour, empty ones as the black behind.
  Image font;
  ASSERT_TRUE(testing_support::LoadPng(kSpriteFont, font));
  const int fontCellWidth = font.width / kSpriteFontColumns;
  const int fontCellHeight = font.height / kSpriteFontRows;
  ASSERT_EQ(spriteTexts->texts.size(), 1u);
  ASSERT_EQ(spriteTexts->texts[0].size(), 2u);
  Tally spriteTally;
  for (const SpriteCharacter& character : spriteTexts->texts[0]) {
    const int column = static_cast<int>(std::lround(character.cellOffset.x * kSpriteFontColumns));
    const int row =
        static_cast<int>(std::lround((1.0f - character.cellOffset.y) * kSpriteFontRows)) - 1;
    const glm::vec3 ink = glm::clamp(glm::vec3(character.color1), 0.0f, 1.0f);
    for (int j = 0; j < fontCellHeight; ++j) {
      for (int i = 0; i < fontCellWidth; ++i) {
        // The quad runs from (0, 0) at the cell's bottom left to (1, -1) at its top right.
        const glm::vec4 local((static_cast<float>(i) + 0.5f) / fontCellWidth,
                              -(static_cast<float>(fontCellHeight - j) - 0.5f) / fontCellHeight,
                              0.0f, 1.0f);
        const bool drawn = font.At(column * fontCellWidth + i, row * fontCellHeight + j)[3] == 255;
        spriteTally.Compare(
            picture, WindowPixel(character.matrix * local), drawn ? ink : glm::vec3(0.0f),
            "font texel (" + std::to_string(i) + ", " + std::to_string(j) + ") of cell (" +
                std::to_string(column) + ", " + std::to_string(row) + ")");
      }
    }
  }
  EXPECT_EQ(spriteTally.compared, 2 * fontCellWidth * fontCellHeight) << "off the window";
  EXPECT_EQ(spriteTally.wrong, 0) << spriteTally.firstWrong;
}

// The canvas clears only where the last frame's texts were and puts only where this frame's are
// into the layer: a character gone since the last frame must not show inside the pixels that
// this frame's texts span.
TEST_F(TextGlTest, ASpriteCharacterGoneSinceTheLastFrameLeavesNothingBehind) {
  const int font = cache->GetTexture(kSpriteFont, GL_NEAREST, GL_NEAREST, GL_CLAMP_TO_EDGE);
  // Characters 90 x 225 units, 8 x 20 window pixels; "AB" puts B over pixel columns 16 to 23.
  const auto addText = [&](const char* name, const char* words, float x) {
    const int entity = CreateEntity(name);
    SpriteText text;
    text._text = words;
    text._anchorX = "left";
    text._anchorY = "top";
    Add<SpriteText>(entity, text);
    Add<Transform>(entity, Transform({x, 405.0f, 0.0f}, {}, {90.0f, 225.0f, 1.0f}));
    TextureComponent texture;
    texture.albedoTexture = font;
    Add<TextureComponent>(entity, texture);
    return entity;
  };
  const auto columnsShowSomething = [](const Image& picture, int first, int last) {
    for (int y = 0; y < picture.height; ++y) {
      for (int x = first; x <= last; ++x) {
        const auto pixel = picture.At(x, y);
        if (pixel[0] + pixel[1] + pixel[2] > 0) return true;
      }
    }
    return false;
  };
  const int left = addText("left", "AB", 90.0f);

  testing::internal::CaptureStdout();
  ASSERT_TRUE(columnsShowSomething(Frame(), 17, 22)) << "B is not drawn";
  components->GetComponent<SpriteText>(left)->_text = "A";
  addText("right", "A", 450.0f);
  const Image picture = Frame();
  testing::internal::GetCapturedStdout();

  EXPECT_TRUE(columnsShowSomething(picture, 9, 14)) << "the left A is missing";
  EXPECT_TRUE(columnsShowSomething(picture, 41, 46)) << "the right A is missing";
  EXPECT_FALSE(columnsShowSomething(picture, 17, 22)) << "B is still shown";
}

}  // namespace
