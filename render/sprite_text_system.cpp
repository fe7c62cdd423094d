#include "render/sprite_text_system.h"

#include <glad/gl.h>
// glad first: GLFW must not pull in the system GL header.
#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <glm/gtc/matrix_transform.hpp>
#include <limits>
#include <string>

#include "components/component_enums.h"
#include "components/sprite_text.h"
#include "components/texture_component.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/system_manager.h"
#include "render/framebuffer.h"
#include "render/instanced_mesh.h"
#include "render/renderer.h"
#include "render/resource_cache.h"

namespace {

constexpr unsigned char kFirstCharacter = 32;
constexpr unsigned char kLastCharacter = 123;
constexpr int kUnknownCell = '@' - kFirstCharacter;
constexpr float kCellWidth = 1.0f / static_cast<float>(kSpriteFontColumns);
constexpr float kCellHeight = 1.0f / static_cast<float>(kSpriteFontRows);
constexpr float kDefaultReferenceHeight = 720.0f;
// An escape: a backslash, 'c' or 'h', and four bytes, one per colour channel.
constexpr std::size_t kEscapeLength = 6;

// The quad of one character: position (x, y, z) and texture coordinate (u, v).
constexpr float kQuadVertices[] = {
    0.0f, 0.0f,  0.0f, 0.0f,       0.0f,         //
    1.0f, 0.0f,  0.0f, kCellWidth, 0.0f,         //
    1.0f, -1.0f, 0.0f, kCellWidth, kCellHeight,  //
    0.0f, -1.0f, 0.0f, 0.0f,       kCellHeight,  //
};
constexpr std::int32_t kQuadIndices[] = {0, 1, 2, 0, 2, 3};

const std::vector<int>& QuadAttributeSizes() {
  static const std::vector<int> sizes = {3, 2};
  return sizes;
}

// The matrix's four columns, the two colours and the cell offset.
const std::vector<int>& CharacterAttributeSizes() {
  static const std::vector<int> sizes = {4, 4, 4, 4, 4, 4, 2};
  return sizes;
}

bool IsEmpty(const glm::ivec4& pixels) { return pixels.z <= pixels.x || pixels.w <= pixels.y; }

glm::ivec4 Union(const glm::ivec4& a, const glm::ivec4& b) {
  if (IsEmpty(a)) return b;
  if (IsEmpty(b)) return a;
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.z, b.z), std::max(a.w, b.w)};
}

// The pixels of a target of `size` that the characters' quads may touch, with a pixel of margin
// (left, bottom, right, top; bottom-left origin, right and top exclusive).
glm::ivec4 CharacterPixels(std::span<const SpriteCharacter> characters, glm::ivec2 size) {
  const glm::ivec4 whole(0, 0, size.x, size.y);
  glm::vec2 low(std::numeric_limits<float>::infinity());
  glm::vec2 high(-std::numeric_limits<float>::infinity());
  for (const SpriteCharacter& character : characters) {
    for (std::size_t corner = 0; corner < 4; ++corner) {
      const float* vertex = kQuadVertices + corner * 5;
      const glm::vec4 clip = character.matrix * glm::vec4(vertex[0], vertex[1], vertex[2], 1.0f);
      // Behind the eye or not a number: the whole target, as its extent is unknown.
      if (!(clip.w > 0.0f)) return whole;
      const glm::vec2 pixel = (glm::vec2(clip) / clip.w + 1.0f) * 0.5f * glm::vec2(size);
      if (!std::isfinite(pixel.x) || !std::isfinite(pixel.y)) return whole;
      low = glm::min(low, pixel);
      high = glm::max(high, pixel);
    }
  }
  if (characters.empty()) return glm::ivec4(0);
  const auto clampTo = [](float value, int limit) {
    return static_cast<int>(std::clamp(value, 0.0f, static_cast<float>(limit)));
  };
  return {clampTo(std::floor(low.x) - 1.0f, size.x), clampTo(std::floor(low.y) - 1.0f, size.y),
          clampTo(std::ceil(high.x) + 1.0f, size.x), clampTo(std::ceil(high.y) + 1.0f, size.y)};
}

float StartX(std::string_view anchorX, std::size_t bytes, float characterWidth) {
  const float width = static_cast<float>(bytes) * characterWidth;
  if (anchorX == "center") return -width * 0.5f;
  if (anchorX == "right") return -width;
  return 0.0f;
}

float StartY(std::string_view anchorY, std::size_t lines, float lineHeight) {
  const float height = static_cast<float>(lines) * lineHeight;
  if (anchorY == "center") return lineHeight - height * 0.5f;
  if (anchorY == "bottom") return lineHeight - height;
  return lineHeight;
}

glm::vec4 EscapeColor(std::string_view digits) {
  const auto channel = [&digits](std::size_t index) {
    return static_cast<float>(static_cast<unsigned char>(digits[index])) - 48.0f;
  };
  return {channel(0), channel(1), channel(2), channel(3)};
}

}  // namespace

// Layout ----------------------------------------------------------------------------------------

int SpriteFontCell(unsigned char byte) {
  return byte >= kFirstCharacter && byte <= kLastCharacter ? byte - kFirstCharacter : kUnknownCell;
}

glm::mat4 SpriteTextProjection(int windowWidth, int windowHeight, float referenceHeight) {
  const float right =
      referenceHeight * static_cast<float>(windowWidth) / static_cast<float>(windowHeight);
  return glm::ortho(0.0f, right, referenceHeight, 0.0f, -1.0f, 1.0f);
}

void LayoutSpriteText(std::string_view text, const glm::mat4& model, std::string_view anchorX,
                      std::string_view anchorY, const glm::mat4& projection,
                      std::vector<SpriteCharacter>& characters) {
  const float characterWidth = model[0][0];
  const float lineHeight = model[1][1];
  const std::size_t lines =
      static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
  float y = StartY(anchorY, lines, lineHeight);
  glm::vec4 color1(1.0f);
  glm::vec4 color2(0.0f);

  for (std::size_t lineStart = 0; lineStart <= text.size();) {
    std::size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    const std::string_view line = text.substr(lineStart, lineEnd - lineStart);
    float x = StartX(anchorX, line.size(), characterWidth);

    for (std::size_t index = 0; index < line.size(); ++index) {
      const std::string_view rest = line.substr(index);
      if (rest.size() >= kEscapeLength && rest[0] == '\\' && (rest[1] == 'c' || rest[1] == 'h')) {
        (rest[1] == 'c' ? color1 : color2) = EscapeColor(rest.substr(2, 4));
        index += kEscapeLength - 1;
        continue;
      }
      const int cell = SpriteFontCell(static_cast<unsigned char>(line[index]));
      SpriteCharacter character;
      character.matrix =
          projection * glm::translate(glm::mat4(1.0f), glm::vec3(x, y, 1.0f)) * model;
      character.color1 = color1;
      character.color2 = color2;
      character.cellOffset =
          glm::vec2(static_cast<float>(cell % kSpriteFontColumns) * kCellWidth,
                    1.0f - static_cast<float>(cell / kSpriteFontColumns + 1) * kCellHeight);
      characters.push_back(character);
      x += characterWidth;
    }
    y += lineHeight;
    lineStart = lineEnd + 1;
  }
}

// The game's canvas -----------------------------------------------------------------------------

SpriteTextLayerCanvas::SpriteTextLayerCanvas(Renderer& renderer)
    : renderer(renderer), shader(kVertexShaderPath, kFragmentShaderPath) {}

SpriteTextLayerCanvas::~SpriteTextLayerCanvas() = default;

glm::ivec2 SpriteTextLayerCanvas::WindowSize() const {
  glm::ivec2 size(0);
  if (GLFWwindow* window = glfwGetCurrentContext()) glfwGetWindowSize(window, &size.x, &size.y);
  return size;
}

void SpriteTextLayerCanvas::Begin() {
  open = false;
  drewCharacters = false;
  const int layer = static_cast<int>(FramebufferLayer::GAMEUI);
  if (renderer.LayerCount() <= layer) return;
  const Framebuffer& layerTarget = renderer.LayerFramebuffer(layer);
  if (target == nullptr) {
    target =
        std::make_unique<Framebuffer>(layerTarget.Width(), layerTarget.Height(), ColorRange::Low);
    stale = glm::ivec4(0, 0, target->Width(), target->Height());
  } else if (target->Width() != layerTarget.Width() || target->Height() != layerTarget.Height()) {
    target->SetSize(layerTarget.Width(), layerTarget.Height());
    stale = glm::ivec4(0, 0, target->Width(), target->Height());
  }

  glGetIntegerv(GL_VIEWPORT, savedViewport);
  savedBlendSource = renderer.BlendSource();
  savedBlendDestination = renderer.BlendDestination();
  target->Bind();
  glViewport(0, 0, target->Width(), target->Height());
  if (!IsEmpty(stale)) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(stale.x, stale.y, stale.z - stale.x, stale.w - stale.y);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
  }
  drawn = glm::ivec4(0);
  // The target keeps colours multiplied by their coverage and the coverage as alpha, so the
  // layer draw can put partly covered texels over the layer as the text would have been.
  glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  open = true;
}

void SpriteTextLayerCanvas::Draw(int fontTexture, std::span<const SpriteCharacter> characters) {
  if (!open || fontTexture < 0) return;
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(fontTexture));
  if (characters.empty() || !shader.IsLinked()) return;
  const auto count = static_cast<std::int32_t>(
      std::min<std::size_t>(characters.size(), std::numeric_limits<std::int32_t>::max()));

  shader.Use();
  shader.SetInt("fontTexture", 0);
  if (characterQuads == nullptr) {
    characterQuads = std::make_unique<InstancedMesh>(
        kQuadVertices, 4, 5 * sizeof(float), kQuadIndices, 6, QuadAttributeSizes(),
        characters.data(), count, sizeof(SpriteCharacter), CharacterAttributeSizes());
  } else {
    characterQuads->UpdateInstances(characters.data(), count, sizeof(SpriteCharacter));
  }
  if (!characterQuads->Bind()) return;
  glDrawElementsInstanced(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr, count);
  drewCharacters = true;
  drawn = Union(drawn, CharacterPixels(characters.first(static_cast<std::size_t>(count)),
                                       {target->Width(), target->Height()}));
}

void SpriteTextLayerCanvas::Finish() {
  if (!open) return;
  open = false;
  renderer.SetBlendFunc(savedBlendSource, savedBlendDestination);
  glViewport(savedViewport[0], savedViewport[1], savedViewport[2], savedViewport[3]);
  renderer.BindLayer(renderer.BoundLayer());
  stale = drawn;
  if (!drewCharacters || IsEmpty(drawn)) return;

  ResourceCache& cache = renderer.Resources();
  if (layerMaterial == -1) layerMaterial = cache.GetMaterial(kLayerMaterialPath);
  if (layerMesh == -1) layerMesh = cache.GetMesh(kLayerMeshPath);
  DrawRequest draw;
  draw.mesh = layerMesh;
  draw.material = layerMaterial;
  draw.textureA = static_cast<int>(target->ColorTexture());
  // The mesh spans -0.5..0.5: doubled, it covers the layer.
  draw.model = glm::scale(glm::mat4(1.0f), glm::vec3(2.0f, 2.0f, 1.0f));
  draw.layer = static_cast<int>(FramebufferLayer::GAMEUI);
  // Outside the texts' pixels the target is clear, which the layer draw would discard. A
  // clipped draw is a batch of its own.
  draw.ordered = true;
  draw.scissor = true;
  draw.scissorRect = {drawn.x, target->Height() - drawn.w, drawn.z - drawn.x, drawn.w - drawn.y};
  renderer.QueueDraw(draw);
}

// The system ------------------------------------------------------------------------------------

SpriteTextSystem::SpriteTextSystem() = default;
SpriteTextSystem::~SpriteTextSystem() = default;

void SpriteTextSystem::Init() {
  engine = &DECS::Instance();
  if (Renderer::HasInstance() && layerCanvas == nullptr) {
    layerCanvas = std::make_unique<SpriteTextLayerCanvas>(Renderer::Instance());
  }
  RequestResources();
  if (auto systems = engine->GetManager<SystemManager>()) {
    systems->SetSignature(TypeName<SpriteTextSystem>(),
                          {std::string(TypeName<SpriteText>()), std::string(TypeName<Transform>()),
                           std::string(TypeName<TextureComponent>())});
  }
}

void SpriteTextSystem::RequestResources() {
  ResourceProvider* resources = DECS::CurrentResources();
  if (resources == nullptr) return;
  if (material == -1) material = resources->GetMaterial(kMaterialPath);
  if (quadMesh == -1) quadMesh = resources->GetMesh(kQuadMeshPath);
}

void SpriteTextSystem::Render() {
  RequestResources();
  SpriteTextCanvas* canvas = canvasOverride != nullptr ? canvasOverride : layerCanvas.get();
  if (canvas == nullptr || engine == nullptr || entities.empty()) return;
  // A minimised window shows nothing and has no aspect ratio.
  const glm::ivec2 window = canvas->WindowSize();
  if (window.x <= 0 || window.y <= 0) return;
  const auto components = engine->GetManager<ComponentManager>();
  if (components == nullptr) return;
  const auto* texts = components->GetArray<SpriteText>();
  auto* transforms = components->GetArray<Transform>();
  const auto* textures = components->GetArray<TextureComponent>();
  if (texts == nullptr || transforms == nullptr || textures == nullptr) return;

  const float referenceHeight =
      links.referenceHeight ? links.referenceHeight() : kDefaultReferenceHeight;
  const glm::mat4 projection = SpriteTextProjection(window.x, window.y, referenceHeight);

  canvas->Begin();
  // Drawing creates and destroys no entity, so the set is walked in place.
  for (const int entity : entities) {
    const glm::mat4& model = transforms->At(entity).UpdateMatrix();
    const SpriteText& text = texts->At(entity);
    const auto [anchorX, anchorY] = text.GetAnchors();
    characters.clear();
    LayoutSpriteText(text._text, model, anchorX, anchorY, projection, characters);
    canvas->Draw(textures->At(entity).albedoTexture, characters);
  }
  canvas->Finish();
}

std::vector<std::string> SpriteTextSystem::MissingLinks() const {
  if (!links.referenceHeight) return {"referenceHeight"};
  return {};
}
