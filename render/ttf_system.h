#pragma once
// TTFSystem: draws the text of every entity with a Transform and a TTF component, one glyph
// quad per character, queued on a DrawQueue (the Renderer in the game). The Renderer batches
// all glyphs of a layer into instanced draws, so a text costs no draw call of its own.
//
// Update builds the glyph atlas of every TTF whose `loaded` flag is 0 (TTF::LoadFont); a font
// that fails is tried again on the next update, and its text is still queued with the atlas
// members it has. Render publishes the global mat4 "UIProjection" (a 1920 x 1080 screen centred
// on the origin) and queues the glyphs of each text, in ascending entity id, by `_alignment`:
//   0  scene text on layer 1 (SCENE): line n sits n * _fontSize pixels below the first, the
//      whole text placed by the Transform (position, rotation x, y, z in that order, scale with
//      z flattened); diffuse `_color` with `_alpha` (below 1 the glyphs are sorted as
//      transparent), ambient `_color2`, the Transform's depth modifier;
//   1  interface text on layer 2 (GAMEUI): each line centred on the position, moved by
//      -_anchor, scaled by scale.y on both axes and turned by rotation.z; lines 0.3 * _fontSize
//      apart; diffuse `_color`, full alpha. The position counts twice (in the glyph offsets
//      and in the final translation);
//   any other value is loaded but not drawn.
//
// Units: glyph offsets are in atlas cells, the size of one quad of the font mesh (a 16 x 8
// grid over the atlas): pixels x 16 / atlasWidth across, x 8 / atlasHeight up. Texts split at
// line feeds (a final one adds no line). Each character queues one quad, blanks included, with
// its glyph's cell as the cell offset; a character missing from the glyph map draws the atlas's
// first cell at the pen and does not advance it. An apostrophe is raised by 0.2 cells. A text
// whose atlas size is not positive draws nothing.
//
// Message: "set_text <entity name> <word>" sets the named entity's text to the word (the next
// render shows it). Another word count, or a name no entity has, changes nothing.
//
// Mesh and material: "./GAME/Assets/Meshes/FontMesh.txt" and
// "./GAME/Assets/Materials/TextMaterial.json" from the engine's resource provider, asked again
// on each render while missing. The system keeps drawing while the game is paused.

#include "engine/base_system.h"
#include "engine/type_name.h"
#include "render/draw_queue.h"

class DECS;

class TTFSystem : public BaseSystem {
 public:
  static constexpr const char* kFontMeshPath = "./GAME/Assets/Meshes/FontMesh.txt";
  static constexpr const char* kTextMaterialPath = "./GAME/Assets/Materials/TextMaterial.json";

  TTFSystem();

  void HandleMessage(const std::string& message) override;
  void Init() override;
  void Update(float dt) override;
  void Render() override;

  // Where the glyphs go; not owned. Unset, they go to the Renderer when it exists.
  void SetDrawQueue(DrawQueue* queue) { drawQueue = queue; }

  int FontMesh() const { return fontMesh; }
  int TextMaterial() const { return textMaterial; }

 private:
  // Asks the resource provider for the mesh and material that are still missing.
  void RequestResources();

  DECS* engine = nullptr;
  DrawQueue* drawQueue = nullptr;
  int fontMesh = -1;
  int textMaterial = -1;
};
DECLARE_TYPE_NAME(class, TTFSystem);
