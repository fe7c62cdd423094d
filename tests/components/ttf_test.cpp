#include "components/ttf.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "engine/resource_provider.h"
#include "tests/support/engine_fixture.h"

namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

constexpr int kGlLinearFilter = 0x2601;
const char* const kFont = "./GAME/Assets/Fonts/DejaVuSans.ttf";

// Keeps the atlases it is asked to create, by name, and answers HasTexture from them.
class FakeFontResources final : public ResourceProvider {
 public:
  struct Atlas {
    int width = 0;
    int height = 0;
    bool hadPixels = false;
    std::vector<std::uint8_t> pixels;
    int minFilter = 0;
    int magFilter = 0;
  };

  int GetTexture(const std::string&, int, int, int) override { return -1; }
  bool HasTexture(const std::string& name) const override {
    for (const auto& created : names) {
      if (created == name) return true;
    }
    return false;
  }
  int CreateTexture(int width, int height, const std::uint8_t* pixels, const std::string& name,
                    int minFilter, int magFilter) override {
    Atlas atlas{width, height, pixels != nullptr, {}, minFilter, magFilter};
    if (pixels != nullptr && keepPixels) {
      atlas.pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * height * 4);
    }
    atlases.push_back(std::move(atlas));
    names.push_back(name);
    return 40 + static_cast<int>(atlases.size());
  }
  int GetMesh(const std::string&) override { return -1; }
  int GetMaterial(const std::string&) override { return -1; }

  std::vector<Atlas> atlases;
  std::vector<std::string> names;
  bool keepPixels = true;
};

class TtfTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    decs->SetResourceProvider(&resources);
  }

  // Loads `ttf`, returning whether it loaded and what it printed.
  static bool Load(TTF& ttf, std::string& output) {
    testing::internal::CaptureStdout();
    const bool loaded = ttf.LoadFont();
    output = testing::internal::GetCapturedStdout();
    return loaded;
  }

  FakeFontResources resources;
};

// True when some pixel of the cell at (column, row) has coverage.
bool CellHasInk(const FakeFontResources::Atlas& atlas, int cell, int column, int row) {
  for (int y = row * cell; y < (row + 1) * cell; ++y) {
    for (int x = column * cell; x < (column + 1) * cell; ++x) {
      if (atlas.pixels[(static_cast<std::size_t>(y) * atlas.width + x) * 4] != 0) return true;
    }
  }
  return false;
}

TEST_F(TtfTest, AtlasCellsAreTwiceTheFontSize) {
  const struct {
    float size;
    int cell;
    const char* name;
  } cases[] = {
      {90.0f, 180, "GAME/Assets/Fonts/DejaVuSans.ttf90.000000"},
      {10.5f, 21, "GAME/Assets/Fonts/DejaVuSans.ttf10.500000"},
  };
  for (const auto& testCase : cases) {
    TTF ttf;
    ttf._fontFilePath = kFont;
    ttf._fontSize = testCase.size;
    std::string output;
    ASSERT_TRUE(Load(ttf, output)) << output;
    EXPECT_THAT(output, IsEmpty()) << testCase.size;

    EXPECT_EQ(ttf.cellWidth, testCase.cell);
    EXPECT_EQ(ttf.cellHeight, testCase.cell);
    EXPECT_EQ(ttf.atlasWidth, testCase.cell * 16);
    EXPECT_EQ(ttf.atlasHeight, testCase.cell * 8);
    EXPECT_EQ(ttf.glyphs.size(), 96u) << "characters 32 to 127";
    EXPECT_EQ(ttf._fontFilePath, "GAME/Assets/Fonts/DejaVuSans.ttf");
    ASSERT_FALSE(resources.atlases.empty());
    const FakeFontResources::Atlas& atlas = resources.atlases.back();
    EXPECT_EQ(resources.names.back(), testCase.name);
    EXPECT_EQ(ttf.atlasTexture, 40 + static_cast<int>(resources.atlases.size()));
    EXPECT_EQ(atlas.width, ttf.atlasWidth);
    EXPECT_EQ(atlas.height, ttf.atlasHeight);
    EXPECT_EQ(atlas.minFilter, kGlLinearFilter);
    EXPECT_EQ(atlas.magFilter, kGlLinearFilter);

    // 'A' is the 34th character: cell (1, 2).
    const Glyph& a = ttf.glyphs.at('A');
    EXPECT_FLOAT_EQ(a.u, 0.0625f);
    EXPECT_FLOAT_EQ(a.v, 0.25f);
    EXPECT_GT(a.width, 0);
    EXPECT_LE(a.rows, testCase.cell);
    EXPECT_NEAR(a.advance / 64.0, testCase.size * 0.68, testCase.size * 0.1)
        << "advance in 1/64 px of a glyph of pixel size " << static_cast<int>(testCase.size);
    EXPECT_TRUE(CellHasInk(atlas, testCase.cell, 1, 2));
    EXPECT_FALSE(CellHasInk(atlas, testCase.cell, 0, 0)) << "the blank has no ink";
    // 'A' stands on the baseline: its bottom bitmap row lies on the cell's bottom pixel row.
    bool bottomRowInked = false;
    for (int x = testCase.cell; x < 2 * testCase.cell; ++x) {
      bottomRowInked |= atlas.pixels[(static_cast<std::size_t>(2 * testCase.cell) * atlas.width +
                                      static_cast<std::size_t>(x)) *
                                     4] != 0;
    }
    EXPECT_TRUE(bottomRowInked);
    // Every byte of a pixel carries the coverage.
    for (std::size_t i = 0; i < atlas.pixels.size(); i += 4) {
      ASSERT_EQ(atlas.pixels[i], atlas.pixels[i + 3]) << "pixel " << i / 4;
    }
  }
}

TEST_F(TtfTest, TheSameFontAndSizeReuseTheAtlas) {
  TTF first;
  first._fontFilePath = kFont;
  first._fontSize = 24.0f;
  std::string output;
  ASSERT_TRUE(Load(first, output));
  TTF second = TTF();
  second._fontFilePath = "GAME\\Assets\\Fonts\\DejaVuSans.ttf";
  second._fontSize = 24.0f;
  ASSERT_TRUE(Load(second, output));

  ASSERT_EQ(resources.atlases.size(), 2u);
  EXPECT_TRUE(resources.atlases[0].hadPixels);
  EXPECT_FALSE(resources.atlases[1].hadPixels) << "a cached atlas is not drawn again";
  EXPECT_EQ(resources.names[0], resources.names[1]);
  ASSERT_EQ(first.glyphs.size(), second.glyphs.size());
  for (const auto& [character, glyph] : first.glyphs) {
    const Glyph& other = second.glyphs.at(character);
    EXPECT_EQ(glyph.advance, other.advance) << character;
    EXPECT_EQ(glyph.rows, other.rows) << character;
    EXPECT_EQ(glyph.u, other.u) << character;
  }
}

TEST_F(TtfTest, MissingFontsFailAndKeepTheOldAtlas) {
  TTF ttf;
  ttf._fontFilePath = "./GAME/Assets/Fonts/NoSuchFont.ttf";
  ttf.glyphs['x'] = Glyph{1, 2, 3, 4, 5, 0.5f, 0.5f};
  ttf.atlasTexture = 7;
  std::string output;
  EXPECT_FALSE(Load(ttf, output));
  EXPECT_THAT(output, StartsWith("ERROR::FREETYPE: Failed to load font\n"))
      << "the line stands alone; the details follow on a line of their own";
  EXPECT_THAT(output, HasSubstr("NoSuchFont.ttf"));
  EXPECT_THAT(output, HasSubstr("cannot open resource")) << "what FreeType's code means";
  EXPECT_EQ(ttf.glyphs.size(), 1u);
  EXPECT_EQ(ttf.atlasTexture, 7);
  EXPECT_EQ(ttf.atlasWidth, 1600);
  EXPECT_TRUE(resources.atlases.empty());

  EXPECT_FALSE(Load(ttf, output));
  EXPECT_EQ(output, "") << "the same font failing again is not reported again";
  ttf._fontSize = 40.0f;
  EXPECT_FALSE(Load(ttf, output));
  EXPECT_THAT(output, HasSubstr("Failed to load font")) << "a changed font is reported";
}

TEST_F(TtfTest, ANewFaceReplacesTheGlyphMap) {
  TTF ttf;
  ttf._fontFilePath = kFont;
  ttf._fontSize = 12.0f;
  ttf.glyphs[200] = Glyph{};
  ttf.glyphs['A'] = Glyph{1, 1, 1, 1, 1, 0.9f, 0.9f};
  std::string output;
  ASSERT_TRUE(Load(ttf, output));
  EXPECT_EQ(ttf.glyphs.count(200), 0u);
  EXPECT_FLOAT_EQ(ttf.glyphs.at('A').u, 0.0625f);
}

TEST_F(TtfTest, FontSizesAreKeptInASaneRange) {
  const struct {
    float size;
    float used;
    bool warns;
  } cases[] = {{1000.0f, 256.0f, true}, {0.0f, 1.0f, true},      {-5.0f, 1.0f, true},
               {NAN, 90.0f, true},      {256.0f, 256.0f, false}, {1.0f, 1.0f, false}};
  resources.keepPixels = false;
  std::size_t clippedGlyphs = 0;
  for (const auto& testCase : cases) {
    TTF ttf;
    ttf._fontFilePath = kFont;
    ttf._fontSize = testCase.size;
    std::string output;
    EXPECT_TRUE(Load(ttf, output)) << testCase.size;
    EXPECT_EQ(ttf._fontSize, testCase.used) << testCase.size;
    EXPECT_EQ(ttf.cellWidth, static_cast<int>(2.0f * testCase.used)) << testCase.size;
    if (testCase.warns) {
      EXPECT_THAT(output, HasSubstr("font size")) << testCase.size;
    } else {
      EXPECT_THAT(output, Not(HasSubstr("font size"))) << testCase.size;
    }
    // Glyphs larger than their cell are reported once each, never per pixel.
    std::set<std::string> clipped;
    std::size_t lines = 0;
    for (std::size_t at = output.find("Out of bounds"); at != std::string::npos;
         at = output.find("Out of bounds", at + 1)) {
      clipped.insert(output.substr(at, output.find('\n', at) - at));
      ++lines;
    }
    EXPECT_EQ(clipped.size(), lines) << testCase.size;
    clippedGlyphs += lines;
  }
  EXPECT_GT(clippedGlyphs, 0u) << "some glyphs of a 1 px font are taller than their 2 px cell";
}

TEST_F(TtfTest, ASmallerAtlasStopsWhenItIsFull) {
  TTF ttf;
  ttf._fontFilePath = kFont;
  ttf._fontSize = 8.0f;
  ttf.atlasColumns = 4;
  ttf.atlasRows = 2;
  std::string output;
  ASSERT_TRUE(Load(ttf, output));
  EXPECT_THAT(output, HasSubstr("ERROR::ATLAS: Not enough space"));
  EXPECT_EQ(ttf.glyphs.size(), 8u);
  EXPECT_EQ(ttf.atlasWidth, 64);
  EXPECT_FLOAT_EQ(ttf.glyphs.at(39).u, 0.75f);
  EXPECT_FLOAT_EQ(ttf.glyphs.at(39).v, 0.5f);

  // The 96 characters fill 16 x 6 cells exactly: the counter reaches the row count all the
  // same. 16 x 8 leaves rows free.
  const struct {
    int rows;
    bool reported;
  } atlases[] = {{6, true}, {8, false}};
  for (const auto& atlas : atlases) {
    TTF exact;
    exact._fontFilePath = kFont;
    exact._fontSize = 8.0f;
    exact.atlasColumns = 16;
    exact.atlasRows = atlas.rows;
    ASSERT_TRUE(Load(exact, output));
    EXPECT_EQ(output.find("ERROR::ATLAS") != std::string::npos, atlas.reported) << atlas.rows;
    EXPECT_EQ(exact.glyphs.size(), 96u) << atlas.rows;
  }
}

TEST(TtfWithoutResources, GlyphMetricsAreBuiltWithoutATexture) {
  TTF ttf;
  ttf._fontFilePath = kFont;
  ttf._fontSize = 16.0f;
  EXPECT_TRUE(ttf.LoadFont());
  EXPECT_EQ(ttf.glyphs.size(), 96u);
  EXPECT_EQ(ttf.atlasTexture, 0);
}

}  // namespace
