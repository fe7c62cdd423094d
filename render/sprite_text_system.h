#pragma once
// SpriteTextSystem: texts drawn from a bitmap font onto the game interface layer (2, GAMEUI).
//
// The font is a texture holding the characters from the blank (32) on in a grid of 16 columns
// and 6 rows, row 0 at the top of the image. Every entity with a SpriteText, a Transform and a
// TextureComponent is one text: the texture's albedo is the font, SpriteText gives the text and
// its anchors, and the Transform's matrix M places the characters. Per rendered frame, in
// ascending entity id, each text is laid out (LayoutSpriteText) and drawn with one instanced
// call on a SpriteTextCanvas.
//
// Layout, in screen units where the window is `referenceHeight` (the window's, through
// SpriteTextSystemLinks; 720 without one) units high, x to the right and y down from the
// top-left corner:
//   - a character is M[0][0] wide (cw), a line M[1][1] high (lh); the character quad spans
//     (0, 0) to (1, -1) before M, so the first line of a "top" text hangs below its position;
//   - lines split at every line feed (a text ending in one ends with an empty line); line i
//     starts at y = lh * (1 + i) for "top", shifted up by L * lh / 2 for "center" and L * lh
//     for "bottom" (L lines); a line of n bytes starts at x = 0 for "left", -n * cw / 2 for
//     "center", -n * cw for "right". Other anchor words count as "top" and "left";
//   - "\cRGBA" sets the first colour (the glyph's tint) and "\hRGBA" the second (the cell's
//     background) for the characters that follow, each of the four bytes read as byte - 48
//     (0 to 9 for digits); the six bytes take no width but count in n. Colours start at white
//     and transparent for each text and carry over line ends. An escape cut short by the end of
//     its line is no escape: its bytes are drawn as characters, and nothing past the text is
//     read;
//   - bytes 32 to 123 draw their own cell, every other byte the cell of '@'.
// A window with no area (minimised) draws nothing.
//
// Ordering with the frame: the Renderer clears every layer before it draws its queues, after
// the systems have rendered. So the game's canvas (SpriteTextLayerCanvas) draws the texts into
// a target of its own, the size of layer 2, and queues that target onto layer 2 as one
// full-screen draw; the texts then land in layer 2 after its clear, in front of what else the
// layer holds, and go through the layer's post-processing like everything drawn there.

#include <functional>
#include <glm/glm.hpp>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/base_system.h"
#include "engine/type_name.h"
#include "render/shader.h"

class DECS;
class Framebuffer;
class InstancedMesh;
class Renderer;

// One character as the sprite text shader reads it (TextVertexShader.glsl): 26 floats.
struct SpriteCharacter {
  glm::mat4 matrix{1.0f};  // projection x T(x, y, 1) x M, column by column
  glm::vec4 color1{1.0f};
  glm::vec4 color2{0.0f};
  glm::vec2 cellOffset{0.0f};  // texture coordinates of the cell's lower-left corner
};
static_assert(sizeof(SpriteCharacter) == 26 * sizeof(float), "the shader reads 26 floats");

inline constexpr int kSpriteFontColumns = 16;
inline constexpr int kSpriteFontRows = 6;

// The font cell of a text byte: byte - 32 for bytes 32 to 123, else the cell of '@' (32).
int SpriteFontCell(unsigned char byte);

// The screen projection of sprite texts: x from 0 to referenceHeight * width / height, y from
// 0 at the top to referenceHeight at the bottom, depth -1..1. `windowHeight` must be positive.
glm::mat4 SpriteTextProjection(int windowWidth, int windowHeight, float referenceHeight);

// Appends the characters of one text (see above) to `characters`.
void LayoutSpriteText(std::string_view text, const glm::mat4& model, std::string_view anchorX,
                      std::string_view anchorY, const glm::mat4& projection,
                      std::vector<SpriteCharacter>& characters);

// Where sprite texts are drawn: the game's canvas below, a recording one in tests.
class SpriteTextCanvas {
 public:
  virtual ~SpriteTextCanvas() = default;
  // The window's size in screen coordinates.
  virtual glm::ivec2 WindowSize() const = 0;
  // Opens a frame of texts; Draw follows once per text (also for a text of no characters),
  // then Finish.
  virtual void Begin() = 0;
  virtual void Draw(int fontTexture, std::span<const SpriteCharacter> characters) = 0;
  virtual void Finish() = 0;
};

// The game's canvas: texts drawn with the sprite text shader into a target of the size of the
// renderer's layer 2 (8-bit colour, with depth), which Finish queues onto layer 2 (see above),
// clipped to the pixels the texts cover; a frame clears only the pixels the previous frame's
// texts covered. The renderer's bound layer,
// blend factors and viewport are as they were after Finish. Needs the GL context from
// construction to destruction; a font texture below 0 draws nothing.
class SpriteTextLayerCanvas final : public SpriteTextCanvas {
 public:
  static constexpr const char* kVertexShaderPath = "./GAME/Shaders/Vertex/TextVertexShader.glsl";
  static constexpr const char* kFragmentShaderPath = "./GAME/Shaders/Fragment/TextShader.glsl";
  // The full-screen draw that puts the target into layer 2.
  static constexpr const char* kLayerMaterialPath =
      "./GAME/Assets/Materials/SpriteTextLayerMaterial.json";
  static constexpr const char* kLayerMeshPath = "./GAME/Assets/Meshes/DefaultQuad.txt";

  explicit SpriteTextLayerCanvas(Renderer& renderer);
  ~SpriteTextLayerCanvas() override;
  SpriteTextLayerCanvas(const SpriteTextLayerCanvas&) = delete;
  SpriteTextLayerCanvas& operator=(const SpriteTextLayerCanvas&) = delete;

  glm::ivec2 WindowSize() const override;
  void Begin() override;
  void Draw(int fontTexture, std::span<const SpriteCharacter> characters) override;
  void Finish() override;

  // The target the texts are drawn into; null before the first frame.
  const Framebuffer* Target() const { return target.get(); }

 private:
  Renderer& renderer;
  Shader shader;
  std::unique_ptr<Framebuffer> target;
  std::unique_ptr<InstancedMesh> characterQuads;
  int layerMaterial = -1;
  int layerMesh = -1;
  bool open = false;
  bool drewCharacters = false;
  // Pixels of the target (left, bottom, right, top; right and top exclusive): those the texts
  // of this frame may have touched, and those that may hold anything since the last clear.
  // Outside `stale` the target is clear, so only it is cleared, and the layer draw covers only
  // `drawn`.
  glm::ivec4 drawn{0};
  glm::ivec4 stale{0};
  unsigned int savedBlendSource = 0;
  unsigned int savedBlendDestination = 0;
  int savedViewport[4] = {0, 0, 0, 0};
};

// What the sprite texts read of the window; app/ fills it.
struct SpriteTextSystemLinks {
  // How many screen units high the window is. Empty: 720.
  std::function<float()> referenceHeight;
};

class SpriteTextSystem : public BaseSystem {
 public:
  static constexpr const char* kMaterialPath = "./GAME/Assets/Materials/SpriteTextMaterial.json";
  static constexpr const char* kQuadMeshPath = "./GAME/Assets/Meshes/SpriteTextQuad.txt";

  SpriteTextSystem();
  ~SpriteTextSystem() override;

  // Sets the signature and asks for the material and quad mesh (kept loaded; drawing does not
  // use them). With a Renderer present, makes the game's canvas.
  void Init() override;
  void Render() override;

  // Drops the canvas made by Init with its GPU objects and its hold on the renderer; texts are
  // drawn no more unless a canvas is set. Called before the GL context goes.
  void ReleaseCanvas() { layerCanvas.reset(); }

  // Where texts are drawn; not owned. Null: the canvas made by Init, if any.
  void SetCanvas(SpriteTextCanvas* canvas) { canvasOverride = canvas; }

  void SetLinks(SpriteTextSystemLinks value) { links = std::move(value); }
  // "referenceHeight" while it is not set.
  std::vector<std::string> MissingLinks() const override;

  int Material() const { return material; }
  int QuadMesh() const { return quadMesh; }

 private:
  void RequestResources();

  DECS* engine = nullptr;
  SpriteTextSystemLinks links;
  std::unique_ptr<SpriteTextLayerCanvas> layerCanvas;
  SpriteTextCanvas* canvasOverride = nullptr;
  int material = -1;
  int quadMesh = -1;
  // The characters of the text being drawn, kept for its capacity.
  std::vector<SpriteCharacter> characters;
};
DECLARE_TYPE_NAME(class, SpriteTextSystem);
