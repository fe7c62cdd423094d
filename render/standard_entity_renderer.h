#pragma once
// StandardEntityRenderer: queues the draws of textured, lit entities.
//
// Every entity with a MeshComponent, a TextureComponent, a Transform and a MaterialComponent is
// queued once per rendered frame, in ascending entity id, on a DrawQueue (the Renderer in the
// game). The system draws nothing itself. Per entity:
//   - model = translation by the mesh's `_offset` (world space) x the Transform's matrix;
//   - layer 2 (GAMEUI) for the tag "UILayer", else 5 (SCREENTONE_MASK) for "ScreentoneMask",
//     else 1 (SCENE);
//   - the tag "Billboard" turns the model by -pi/4 about y and pi/2 about x and stretches it
//     by 4/3 along z, so a quad lying in the xy plane stands facing the world's view;
//   - the current sprite-sheet cell of an AnimationGroup as the cell offset;
//   - the material overrides of the MaterialComponent (its diffuse override's w is the alpha;
//     a `_shininess` of 0 keeps the material's shininess).
// It keeps queueing while the game is paused, so the paused frame stays on screen.

#include <glm/glm.hpp>

#include "engine/base_system.h"
#include "engine/type_name.h"
#include "render/draw_queue.h"

class DECS;
class MaterialComponent;
class MeshComponent;
class TextureComponent;

// The draw of one entity (layer, billboard turn and material overrides as described above).
DrawRequest EntityDraw(bool billboard, bool gameUi, bool screentoneMask, const MeshComponent& mesh,
                       const MaterialComponent& material, const TextureComponent& texture,
                       const glm::mat4& model, float depthModifier, const glm::vec2& cellOffset);

class StandardEntityRenderer : public BaseSystem {
 public:
  StandardEntityRenderer();

  void Init() override;
  void Render() override;

  // Where the draws go; not owned. Unset, they go to the Renderer when it exists.
  void SetDrawQueue(DrawQueue* queue) { drawQueue = queue; }

 private:
  DECS* engine = nullptr;
  DrawQueue* drawQueue = nullptr;
};
DECLARE_TYPE_NAME(class, StandardEntityRenderer);
