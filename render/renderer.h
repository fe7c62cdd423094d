#pragma once
// Renderer: the one owner of the game's OpenGL drawing state.
//
// Nothing draws directly. Systems queue draws (QueueDraw, see render/draw_queue.h) into the
// queue of a framebuffer layer; once per rendered frame, after every system has rendered, DECS
// calls RenderFrame, which
//   1. draws each layer 1..8 into its own window-sized framebuffer: first the layer's opaque
//      draws, then its transparent ones, sorted;
//   2. lets the post-processing chain run over each layer's framebuffer (no chain: no passes);
//   3. composites the framebuffers of layers 1 to 5 onto the window, layer 1 at the bottom.
// A layer other than 1 (the scene layer, which also has its scene-layer drawers) with nothing
// queued and no post-processing pass that uses it would be cleared to transparent black, stay
// so through its own passes and leave the window as it is when composited; the frame neither
// clears nor processes nor composites it.
// Nor does it draw, process or composite a composited layer (the scene layer included) beneath
// one whose first draw covers it whole (DrawRequest::fillsLayerOfSize, as the menus' opaque
// backdrop does), unless the passes need it (LayerPostProcessing::NeedsHiddenLayer): every
// later draw and pass lays its colour over that layer, which keeps it opaque, so the window
// shows nothing of the layers beneath.
//
// Colour range: a layer's framebuffer is RGBA8 unless the post-processing chain needs values
// beyond 0..1 or finer than 8 bits in it (LayerPostProcessing::NeedsHighRange), then RGBA16F.
// Drawn colours are clamped to 0..1 on the way into an RGBA8 layer, as compositing onto the
// window would clamp them.
//
// Layers: 1 SCENE (the world), 2 GAMEUI (entities tagged "UILayer"), 3 MENUUI (documents),
// 5 SCREENTONE_MASK, 6 FXAA; 4, 7 and 8 have no name; 6 to 8 are not composited. Layer 0 has
// no framebuffer: draws queued on it are never drawn.
//
// Batching (built without GL by BatchBuilder, render/batch_builder.h; the renderer uploads and
// draws what it builds): draws of one layer with the same mesh, material shader and order
// number (0 unless the draw is `ordered`, which gives it a number of its own) are one batch,
// drawn with one instanced call per texture sub-batch: a batch's textures are bound to the
// units 0..12 (the top three of the 16 sampler units stay free for other samplers), and a batch
// with more distinct textures is split. A draw needs a free unit for each of its two slots that
// is not already bound in the sub-batch, an empty slot included, and a second slot holding the
// same new texture as the first takes a unit of its own: 12 draws with one new texture each
// fill a sub-batch. Each instance carries its model matrix, depth modifier, cell offset, the
// units of its two textures and its material colours (see InstanceRecord
// and GAME/Shaders/Include/InstanceAttributes.glsl).
//
// Clipping: an ordered draw may carry a scissor rectangle (top-left origin, pixels of the layer);
// its batch is drawn with the scissor test on, and the test is off again afterwards.
//
// Transparency: a draw is transparent when forced or when its alpha is below 1 (NaN counts as
// opaque). Opaque batches are drawn in the order their first draw of the frame was queued.
// Transparent draws are sorted by depth modifier minus distance to the layer's camera,
// highest first (equal values keep the order queued); on the menu layer (3) they are drawn in
// the order queued with the depth test off, so overlapping interface elements paint in the
// order they were issued whatever camera the layer has.
//
// Blending: draws lay their colour over by its alpha and their coverage as a + d(1 - a), so a
// layer holds colour already weighted by coverage, and its true coverage; layers are composited
// with (1, 1 - a). Post-processing passes blend as they say.
//
// Per layer, before its draws: the camera's values ("viewProjection", "CameraPos", ...) and the
// layer's lights go into the global shader values, and every shader of the layer applies them.
//
// Errors: a draw on a layer outside 0..8, or with a mesh or material handle outside the caches,
// is dropped and reported once per bad value. Draws with material -1, mesh -1 or no texture
// are dropped silently. While the window has no area (minimised) frames are skipped and the
// queues keep their draws. Construction throws std::runtime_error when the OpenGL entry points
// cannot be loaded.
//
// Messages:
//   uniform_set_float name v | uniform_set_int name v | uniform_set_vec2 name x y |
//   uniform_set_vec3 name x y z        set a global shader value
//   shader_uniform_update material name float|int|vec2|vec3 value
//                                      the same, with "x,y" or "x,y,z" for vectors; the
//                                      material word is required and names nothing
// Malformed numbers or a wrong word count leave every value as it was.
//
// GL state after a frame: default framebuffer bound, depth test on, blending on. Main thread
// only; the GL context must be current for everything but QueueDraw and HandleMessage.

#include <array>
#include <cstddef>
#include <cstdint>
#include <glm/glm.hpp>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "components/component_enums.h"
#include "engine/engine_hooks.h"
#include "engine/message_receiver.h"
#include "engine/type_name.h"
#include "render/batch_builder.h"
#include "render/draw_queue.h"
#include "render/framebuffer.h"

class CameraSystem;
class GpuMesh;
class InstancedMesh;
class LightSystem;
class ResourceCache;
class Shader;

// The post-processing chain: full-screen passes over a layer's framebuffer after the layer is
// drawn and before it is composited.
class LayerPostProcessing {
 public:
  virtual ~LayerPostProcessing() = default;
  // Runs the enabled passes of framebuffer `framebufferIndex` (layer index + 1) over it; ends
  // with `restoreShader` in use and the default framebuffer bound. `composite`: the layer is
  // laid over the bound window next (colour weighted by coverage: blend ONE,
  // ONE_MINUS_SRC_ALPHA), whose viewport is the layer's size from the origin. The last pass
  // may then lay its result over the window itself instead of drawing it into the layer;
  // returns true when it did, and the layer is not to be laid over again.
  virtual bool ApplyLayerPasses(int framebufferIndex, Framebuffer& framebuffer,
                                Shader& restoreShader, bool composite) = 0;
  // The window's size changed: the chain's own targets follow it.
  virtual void ResizeTargets() = 0;
  // Whether the passes read or write the framebuffer of `layer` (1..8) this frame. A chain that
  // cannot tell says yes.
  virtual bool UsesLayer(int /*layer*/) const { return true; }
  // Whether the framebuffer of `layer` must hold values beyond 0..1 or finer than 8 bits
  // (RGBA16F) for the passes; otherwise it is drawn in 8 bits (RGBA8). A chain that cannot tell
  // says yes.
  virtual bool NeedsHighRange(int /*layer*/) const { return true; }
  // Whether the passes use the framebuffer of `layer` only as scratch that they overwrite whole
  // before reading it (a glow's copy of its source). Such a layer, when nothing is drawn into
  // it and it is not composited, needs no clear. A chain that cannot tell says no.
  virtual bool OverwritesBeforeReading(int /*layer*/) const { return false; }
  // Whether the passes need `layer` drawn and processed even where none of it shows: a pass
  // reads it, or one of its own passes writes into another layer. A chain that cannot tell
  // says yes.
  virtual bool NeedsHiddenLayer(int /*layer*/) const { return true; }
};

class Renderer;

// Something drawn into the scene layer right after its opaque draws, with its camera and
// lights in place (grass, the wind's visualisation). GL state it changes goes through the
// renderer (SetCullingEnabled, SetLineWidth), which remembers it, and is put back as it found it.
class SceneLayerDrawer {
 public:
  virtual ~SceneLayerDrawer() = default;
  virtual void DrawIntoSceneLayer(Renderer& renderer) = 0;
};

class Renderer : public MessageReciever, public FrameRenderer, public DrawQueue {
 public:
  using FramebufferLayer = ::FramebufferLayer;

  // Layers 0..8.
  static constexpr int kLayerCount = 9;
  // Layers 1..5 are composited onto the window.
  static constexpr int kCompositedLayers = 5;
  // Sampler units the data shaders declare (`inTextures[16]`, TextureUnits.glsl).
  static constexpr int kSamplerUnits = 16;
  // Units left free in every sub-batch for other samplers.
  static constexpr int kReservedTextureUnits = 3;
  using BatchKey = ::BatchKey;
  using BatchKeyHash = ::BatchKeyHash;

  // Figures of the last rendered frame.
  struct Statistics {
    std::uint64_t drawCalls = 0;
    int verticesDrawn = 0;
    int trianglesDrawn = 0;
    // Instances drawn minus draw calls: calls saved by instancing.
    int instancesSaved = 0;
    // Texture sub-batches the frame's drawn batches were split into (one call each).
    std::uint64_t subBatches = 0;
  };

  // Needs a current GL context: loads the entry points (throws std::runtime_error when they
  // cannot be loaded), sets blending, culling and the depth test, builds the composite shaders
  // and quad from `cache`, and creates layers 1..8 at the window's size. Prints the GPU's
  // description. `cache` must outlive the renderer.
  explicit Renderer(ResourceCache& cache);
  ~Renderer() override;
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // The renderer of the living render context; there must be one (see HasInstance).
  static Renderer& Instance();
  // Whether a render context lives, and with it a renderer.
  static bool HasInstance();

  void QueueDraw(const DrawRequest& draw) override;

  // Draws the frame (see above) and empties the queues.
  void Render();
  void RenderFrame() override { Render(); }
  // Drops the draws queued for this frame without drawing them: a frame nobody looks at.
  void DiscardQueuedDraws();

  void HandleMessage(const std::string& message) override;

  // The mesh at this cache index is gone (or replaced): its uploaded copies are dropped.
  void ForgetMesh(int mesh);

  // Appends a window-sized layer with one empty opaque and transparent queue.
  void AddFramebufferLayer(bool composite);
  // Binds the framebuffer of a layer (0: the window's).
  void BindLayer(int layer);
  // glBlendFunc, remembered.
  void SetBlendFunc(unsigned int source, unsigned int destination);
  // GL_CULL_FACE on or off, glFrontFace, glCullFace, remembered.
  void SetCulling(bool enable, unsigned int frontFace, unsigned int cullFace);
  // GL_CULL_FACE on or off, the remembered winding and face kept.
  void SetCullingEnabled(bool enable) { SetCulling(enable, frontFace, cullFace); }
  bool CullingEnabled() const { return cullEnabled; }
  // glLineWidth in pixels, remembered; clamped into the widths the context draws (1 .. the
  // driver's widest; 1 in a forward-compatible context).
  void SetLineWidth(float width);
  float LineWidth() const { return lineWidth; }
  // Every window-sized framebuffer takes the window's size; so do the post-processing targets.
  void Resize();

  // The camera and light systems whose values each layer uses; with none, layers are drawn in
  // clip space and the light values stay as they are.
  void UseSystems(std::weak_ptr<CameraSystem> cameras, std::weak_ptr<LightSystem> lights);
  // The post-processing chain (not owned; null: no passes).
  void SetPostProcessing(LayerPostProcessing* chain) { postProcessing = chain; }
  // Drawn into the scene layer after its opaque draws, in the order added (not owned).
  void AddSceneLayerDrawer(SceneLayerDrawer* drawer);

  // The cache the queued draws' handles refer to.
  ResourceCache& Resources() const { return cache; }

  int LayerCount() const { return static_cast<int>(framebuffers.size()) + 1; }
  // The framebuffer of layer 1..LayerCount()-1.
  Framebuffer& LayerFramebuffer(int layer) {
    return framebuffers.at(static_cast<std::size_t>(layer - 1));
  }
  int BoundLayer() const { return boundLayer; }
  int MaxTextureUnits() const { return maxTextureUnits; }
  const Statistics& FrameStatistics() const { return statistics; }
  // Draws dropped for a bad layer or handle since the renderer was made.
  std::uint64_t DroppedDrawCount() const { return droppedDraws; }
  unsigned int BlendSource() const { return blendSource; }
  unsigned int BlendDestination() const { return blendDestination; }

  // Layer 1 drawn as lines.
  bool wireframe = false;
  // Interface drawing state (the document render interface): the z of the next interface draw,
  // the current document transform, and the order number of the next ordered draw. uiDepth and
  // uiOrder restart at 0 every frame.
  float uiDepth = 0.0f;
  glm::mat4 uiTransform{1.0f};
  int uiOrder = 0;

 private:
  // Builds what the composite needs when it is missing (also after the caches were cleared).
  void LoadCompositeResources();
  // Camera values, the layer's framebuffer, its lights, and the globals applied to every
  // program in `programs`.
  void PrepareLayer(int layer, std::span<const int> programs);
  void DrawOpaqueQueue(int layer);
  void SortTransparent(int layer);
  void DrawSortedQueue(int layer);
  // Draws the built batches into the bound layer.
  void DrawBuiltBatches(const BuiltBatches& built);
  void DrawBatch(const BuiltBatch& batch);
  // Something is drawn into the layer this frame, or a post-processing pass uses it.
  bool LayerInUse(int layer) const;
  TransparentOrder TransparentOrderOf(int layer) const;
  // The highest composited layer whose first draw covers its framebuffer whole (see
  // BatchBuilder::FirstDrawFill), or 0.
  int CoveringLayer() const;
  // The layer is composited beneath `coveringLayer` and no pass needs it: nothing of it shows.
  bool HiddenBeneath(int layer, int coveringLayer) const;
  // Nothing is drawn into the layer, it is not composited, and the passes overwrite all of it
  // before they read it: its clear would be lost.
  bool OverwrittenBeforeRead(int layer) const;
  // Logs a dropped draw the first time its reason and value are seen.
  void ReportDroppedDraw(const char* reason, int value);

  ResourceCache& cache;
  // The layers' queues and the batches built from them.
  BatchBuilder batchBuilder{1, kSamplerUnits - kReservedTextureUnits};
  std::vector<Framebuffer> framebuffers;
  // Per layer 0..LayerCount()-1: LayerInUse at the start of the frame being drawn.
  std::vector<std::uint8_t> layersInUse;
  std::unordered_map<BatchKey, std::unique_ptr<InstancedMesh>, BatchKeyHash> instancedMeshes;

  int boundLayer = 0;
  int maxTextureUnits = kSamplerUnits;
  std::array<int, kSamplerUnits> textureUnitList{};
  Statistics statistics;
  std::uint64_t droppedDraws = 0;
  std::set<std::pair<std::string, int>> reportedDrops;

  int framebufferProgram = -1;
  int depthProgram = -1;
  std::unique_ptr<GpuMesh> framebufferMesh;

  bool cullEnabled = true;
  unsigned int frontFace = 0;
  unsigned int cullFace = 0;
  unsigned int blendSource = 0;
  unsigned int blendDestination = 0;
  // GL's own initial line width, and the widest line the driver draws.
  float lineWidth = 1.0f;
  float widestLine = 1.0f;

  std::weak_ptr<CameraSystem> cameraSystem;
  std::weak_ptr<LightSystem> lightSystem;
  LayerPostProcessing* postProcessing = nullptr;
  std::vector<SceneLayerDrawer*> sceneLayerDrawers;
};
DECLARE_TYPE_NAME(class, Renderer);
