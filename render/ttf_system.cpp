#include "render/ttf_system.h"

#include <glm/gtc/matrix_transform.hpp>
#include <string>
#include <string_view>

#include "components/component_enums.h"
#include "components/transform.h"
#include "components/ttf.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/message_text.h"
#include "engine/system_manager.h"
#include "render/renderer.h"

namespace {

// The font mesh covers one cell of a 16 x 8 grid over the atlas.
constexpr float kCellsAcross = 16.0f;
constexpr float kCellsUp = 8.0f;
constexpr float kApostropheRaise = 0.2f;
constexpr float kInterfaceLineSpacing = 0.3f;
constexpr float kRadiansPerDegree = 0.017453292f;

const std::string& UiProjectionName() {
  static const std::string name = "UIProjection";
  return name;
}

// A 1920 x 1080 screen centred on the origin, depth -1..1.
glm::mat4 UiProjection() { return glm::ortho(-960.0f, 960.0f, -540.0f, 540.0f, -1.0f, 1.0f); }

const Glyph& GlyphOf(const TTF& text, char character) {
  // A character outside the map measures as an all-zero glyph: the atlas's first cell, no
  // advance.
  static const Glyph kMissing{};
  const auto found = text.glyphs.find(static_cast<unsigned char>(character));
  return found != text.glyphs.end() ? found->second : kMissing;
}

int Descent(const Glyph& glyph) { return glyph.rows > glyph.top ? glyph.rows - glyph.top : 0; }

// Whole pixels; the glyph map holds 1/64 pixel.
int Advance(const Glyph& glyph) { return glyph.advance >> 6; }

// Calls visit(line, index) for each line of `text`; a final line feed adds no line.
template <typename Visitor>
void ForEachLine(std::string_view text, Visitor&& visit) {
  int index = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    visit(text.substr(0, end), index++);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

struct GlyphDraw {
  int mesh;
  int material;
  DrawQueue& queue;
};

void QueueGlyph(const GlyphDraw& target, const TTF& text, const Glyph& glyph,
                const glm::mat4& model, int layer, float depthModifier, bool sceneText) {
  DrawRequest draw;
  draw.mesh = target.mesh;
  draw.material = target.material;
  draw.textureA = text.atlasTexture;
  draw.textureB = -1;
  draw.model = model;
  draw.depthModifier = depthModifier;
  draw.layer = layer;
  draw.cellOffset = glm::vec2(glyph.u, glyph.v);
  draw.overrideDiffuse = true;
  draw.diffuseOverride = text._color;
  draw.alphaOverride = sceneText ? text._alpha : 1.0f;
  draw.overrideAmbient = sceneText;
  draw.ambientOverride = text._color2;
  target.queue.QueueDraw(draw);
}

// Alignment 0: the text in the scene, placed by the whole Transform.
void QueueSceneText(const GlyphDraw& target, const TTF& text, const Transform& transform) {
  glm::mat4 placement = glm::translate(glm::mat4(1.0f), transform._position);
  const glm::vec3 radians = transform._rotation * kRadiansPerDegree;
  placement = glm::rotate(placement, radians.x, glm::vec3(1.0f, 0.0f, 0.0f));
  placement = glm::rotate(placement, radians.y, glm::vec3(0.0f, 1.0f, 0.0f));
  placement = glm::rotate(placement, radians.z, glm::vec3(0.0f, 0.0f, 1.0f));
  placement = glm::scale(placement, glm::vec3(transform._scale.x, transform._scale.y, 0.0f));
  const float toCellsAcross = kCellsAcross / static_cast<float>(text.atlasWidth);
  const float toCellsUp = kCellsUp / static_cast<float>(text.atlasHeight);

  ForEachLine(text._text, [&](std::string_view line, int index) {
    int pen = 0;
    for (const char character : line) {
      const Glyph& glyph = GlyphOf(text, character);
      const float x = static_cast<float>(glyph.left + pen) * toCellsAcross;
      float y = (static_cast<float>(-Descent(glyph)) - static_cast<float>(index) * text._fontSize) *
                toCellsUp;
      if (character == '\'') y += kApostropheRaise;
      QueueGlyph(target, text, glyph, glm::translate(placement, glm::vec3(x, y, 0.0f)),
                 static_cast<int>(FramebufferLayer::SCENE), transform._depthModifier, true);
      pen += Advance(glyph);
    }
  });
}

// Alignment 1: interface text, each line centred on the position.
void QueueInterfaceText(const GlyphDraw& target, const TTF& text, const Transform& transform) {
  const glm::vec2 position(transform._position);
  const float scale = transform._scale.y;
  const float turn = transform._rotation.z * kRadiansPerDegree;
  const float toCellsAcross = kCellsAcross / static_cast<float>(text.atlasWidth);
  const float toCellsUp = kCellsUp / static_cast<float>(text.atlasHeight);
  float lineY = position.y;

  ForEachLine(text._text, [&](std::string_view line, int) {
    int width = 0;
    for (const char character : line) width += Advance(GlyphOf(text, character));
    glm::mat4 placement = glm::translate(glm::mat4(1.0f), glm::vec3(position.x, lineY, 0.0f));
    placement = glm::rotate(placement, turn, glm::vec3(0.0f, 0.0f, 1.0f));
    placement = glm::scale(placement, glm::vec3(scale, scale, 1.0f));
    placement = glm::translate(placement, glm::vec3(-text._anchor, 0.0f));

    float penX = position.x - static_cast<float>(width) * 0.5f;
    for (const char character : line) {
      const Glyph& glyph = GlyphOf(text, character);
      const float x = (static_cast<float>(glyph.left) + penX) * toCellsAcross;
      float y = (lineY - static_cast<float>(Descent(glyph))) * toCellsUp;
      if (character == '\'') y += kApostropheRaise;
      QueueGlyph(target, text, glyph, glm::translate(placement, glm::vec3(x, y, 0.0f)),
                 static_cast<int>(FramebufferLayer::GAMEUI), 0.0f, false);
      penX += static_cast<float>(Advance(glyph));
    }
    lineY -= kInterfaceLineSpacing * text._fontSize;
  });
}

}  // namespace

// It keeps running while the pause menu is open.
TTFSystem::TTFSystem() { pausable = false; }

void TTFSystem::HandleMessage(const std::string& message) {
  if (!IsMessage(message, "set_text") || engine == nullptr) return;
  std::string name;
  std::string text;
  if (!ParseMessageArguments(message, name, text)) return;
  const auto entities = engine->GetManager<EntityManager>();
  const auto components = engine->GetManager<ComponentManager>();
  if (entities == nullptr || components == nullptr) return;
  const auto found = entities->idsByName.find(name);
  if (found == entities->idsByName.end()) return;
  const auto* texts = components->GetArray<TTF>();
  if (texts == nullptr || !texts->HasComponent(found->second)) return;
  components->GetComponent<TTF>(found->second)->_text = text;
}

void TTFSystem::Init() {
  engine = &DECS::Instance();
  if (auto systems = engine->GetManager<SystemManager>()) {
    systems->SetSignature(TypeName<TTFSystem>(),
                          {std::string(TypeName<Transform>()), std::string(TypeName<TTF>())});
  }
  RequestResources();
  pausable = false;
}

void TTFSystem::RequestResources() {
  ResourceProvider* resources = DECS::CurrentResources();
  if (resources == nullptr) return;
  if (fontMesh == -1) fontMesh = resources->GetMesh(kFontMeshPath);
  if (textMaterial == -1) textMaterial = resources->GetMaterial(kTextMaterialPath);
}

void TTFSystem::Update(float) {
  if (engine == nullptr) return;
  const auto components = engine->GetManager<ComponentManager>();
  auto* texts = components != nullptr ? components->GetArray<TTF>() : nullptr;
  if (texts == nullptr) return;
  // Loading a font creates and destroys no entity, so the set is walked in place.
  for (const int entity : entities) {
    TTF& text = texts->At(entity);
    if (text.loaded == 0) text.loaded = text.LoadFont() ? 1 : 0;
  }
}

void TTFSystem::Render() {
  if (engine == nullptr) return;
  RequestResources();
  engine->globalUniforms.mat4Values[UiProjectionName()] = UiProjection();

  DrawQueue* queue = drawQueue;
  if (queue == nullptr && Renderer::HasInstance()) queue = &Renderer::Instance();
  const auto components = engine->GetManager<ComponentManager>();
  if (queue == nullptr || components == nullptr) return;
  const auto* texts = components->GetArray<TTF>();
  const auto* transforms = components->GetArray<Transform>();
  if (texts == nullptr || transforms == nullptr) return;

  const GlyphDraw target{fontMesh, textMaterial, *queue};
  for (const int entity : entities) {
    const TTF& text = texts->At(entity);
    if (text.atlasWidth <= 0 || text.atlasHeight <= 0) continue;
    const Transform& transform = transforms->At(entity);
    if (text._alignment == 0) {
      QueueSceneText(target, text, transform);
    } else if (text._alignment == 1) {
      QueueInterfaceText(target, text, transform);
    }
  }
}
