#pragma once
// BatchBuilder: the part of the renderer's drawing that needs no GL. It keeps every layer's
// queued draws, grouped into batches, and turns one layer's opaque or transparent draws into
// what the GL side uploads and draws: typed per-instance records, batches and their texture
// sub-batches. Nothing here touches the GL context, so grouping, order and texture units are
// tested headless and measured on their own.
//
//   BatchBuilder builder(Renderer::kLayerCount, 13);
//   builder.Queue(draw, material, /*order=*/0);          // per draw, between frames
//   const BuiltBatches& opaque = builder.BuildOpaque(1);  // per layer, in the frame
//   for (const BuiltBatch& batch : opaque.batches) ...   // bind, upload, draw each sub-batch
//   builder.Clear();                                      // after the frame
//
// Batches: draws of one layer with the same mesh, shader program and order number (BatchKey)
// are one batch. Opaque batches come in the order their first draw was queued, each with its
// draws in queueing order. Transparent draws are sorted by depth modifier minus the distance
// to the layer's camera, highest first (equal values keep the order queued; a NaN value goes
// last), or kept in queueing order; a run of consecutive sorted draws of one key is one batch,
// so a key can give several batches.
//
// Texture sub-batches: a batch's textures take the units 0..U-1 (U = units per sub-batch). A
// draw needs a free unit for each of its two slots that is not already in the sub-batch, an
// empty slot included, and a B equal to a new A takes a unit of its own; when the sub-batch
// cannot give that many, the draw starts the next sub-batch. An instance's unit is -1 for an
// empty slot.
//
// Storage: queues, batches and the built lists keep their capacity from frame to frame, so a
// steady frame allocates nothing. A built list stays valid until the next Queue, Build or Clear.

#include <array>
#include <cstddef>
#include <cstdint>
#include <glm/glm.hpp>
#include <span>
#include <unordered_map>
#include <vector>

#include "render/draw_queue.h"
#include "render/material.h"

// What makes draws one batch.
struct BatchKey {
  int mesh = -1;
  int program = -1;  // GL program name of the material's shader
  int order = 0;
  friend bool operator==(const BatchKey&, const BatchKey&) = default;
};
struct BatchKeyHash {
  std::size_t operator()(const BatchKey& key) const;
};

// The per-instance data of one draw exactly as the instance buffer holds it (see
// kInstanceAttributeSizes and GAME/Shaders/Include/InstanceAttributes.glsl).
struct InstanceRecord {
  // Model matrix columns 0..2 and the translation; the translation's w is the depth modifier.
  glm::vec4 model0{0.0f};
  glm::vec4 model1{0.0f};
  glm::vec4 model2{0.0f};
  glm::vec3 translation{0.0f};
  float depthModifier = 0.0f;
  glm::vec2 cellOffset{0.0f};
  // Units of the two textures in the sub-batch, -1 when the slot is empty.
  float unitA = -1.0f;
  float unitB = -1.0f;
  glm::vec3 ambient{1.0f};
  glm::vec3 diffuse{1.0f};
  float alpha = 1.0f;
  glm::vec3 specular{1.0f};
  float shininess = 0.0f;
};
inline constexpr int kInstanceFloats = 31;
// Float attributes of the instance buffer, in the order of InstanceRecord's fields.
inline constexpr std::array<int, 11> kInstanceAttributeSizes = {4, 4, 4, 4, 2, 1, 1, 3, 4, 3, 1};
static_assert(sizeof(InstanceRecord) == kInstanceFloats * sizeof(float),
              "the instance buffer is read as packed floats");

// Consecutive instances of a batch that share one set of bound textures.
struct SubBatch {
  // Instances of the sub-batch in BuiltBatch::instances.
  std::uint32_t firstInstance = 0;
  std::uint32_t instanceCount = 0;
  // Textures of the sub-batch in BuiltBatch::textures; the one at position u goes to unit u.
  std::uint32_t firstTexture = 0;
  std::uint32_t textureCount = 0;
};

// Instances of one key drawn together, split into sub-batches.
struct BuiltBatch {
  BatchKey key;
  std::span<const InstanceRecord> instances;
  std::span<const SubBatch> subBatches;
  std::span<const int> textures;
  // The clip rectangle of the batch's first draw, when it has one.
  bool scissor = false;
  glm::ivec4 scissorRect{0};

  std::span<const InstanceRecord> InstancesOf(const SubBatch& subBatch) const {
    return instances.subspan(subBatch.firstInstance, subBatch.instanceCount);
  }
  std::span<const int> TexturesOf(const SubBatch& subBatch) const {
    return textures.subspan(subBatch.firstTexture, subBatch.textureCount);
  }
};

// Assigns texture units to the instances of a batch, appended in drawing order, and splits
// the batch into sub-batches of `units` units each.
struct SubBatchSplit {
  std::vector<SubBatch> subBatches;
  // GL texture names of every sub-batch, in blocks (SubBatch::firstTexture).
  std::vector<int> textures;

  void Clear();
  // Begins a batch: the next instance (`instanceIndex` in the batch) starts a sub-batch.
  void StartBatch(std::uint32_t instanceIndex);
  // Adds the next instance of the batch with its two textures (-1: empty) and writes its units.
  void Add(int textureA, int textureB, int units, std::uint32_t instanceIndex,
           InstanceRecord& instance);
};

// One layer's opaque or transparent draws, built: batches in drawing order.
struct BuiltBatches {
  std::vector<BuiltBatch> batches;
  // The distinct shader programs of the batches, ascending.
  std::vector<int> programs;
  // Storage of sorted transparent batches (opaque batches point into the queues).
  std::vector<InstanceRecord> instances;
  SubBatchSplit split;

  std::size_t SubBatchCount() const;
};

// How a layer's transparent draws are ordered.
enum class TransparentOrder {
  // Depth modifier minus distance to the camera, highest first.
  kSorted,
  // As queued: overlapping interface elements paint in the order they were issued.
  kQueued,
};

class BatchBuilder {
 public:
  // `layerCount` layers 0..layerCount-1; `unitsPerSubBatch` texture units (at least 2).
  BatchBuilder(int layerCount, int unitsPerSubBatch);

  // Appends an empty layer.
  void AddLayer();
  int LayerCount() const { return static_cast<int>(opaque.size()); }
  // Texture units per sub-batch (at least 2); set it while nothing is queued.
  void SetUnitsPerSubBatch(int units);
  int UnitsPerSubBatch() const { return unitsPerSubBatch; }

  // Queues a draw on its layer (which must be in 0..LayerCount()-1) with the material's colours
  // where the draw does not override them; `order` is the batch key's order number. The draw is
  // transparent when forced or when its alpha is below 1 (a NaN alpha counts as opaque). An
  // opaque draw's instance record and sub-batch are final here: its batch keeps queueing order.
  void Queue(const DrawRequest& draw, const Material& material, int order);
  // Something is queued on the layer.
  bool LayerHasDraws(int layer) const;
  // The layer size that the layer's first drawn draw covers whole (its `fillsLayerOfSize`), or
  // 0 x 0. Opaque draws come first, so that is the first opaque draw queued; with none, the
  // first transparent draw queued when transparent draws keep queueing order (a sort may put
  // any of them first, so a sorted layer gives 0 x 0). A draw whose alpha is below 1 covers
  // nothing whole.
  glm::ivec2 FirstDrawFill(int layer, TransparentOrder order) const;

  // Builds the layer's opaque draws. The result points into the queues: it stays valid until
  // the next Queue, Build or Clear call.
  const BuiltBatches& BuildOpaque(int layer);
  // Builds the layer's transparent draws, sorted against the camera at `cameraPosition`.
  const BuiltBatches& BuildTransparent(int layer, glm::vec3 cameraPosition,
                                       TransparentOrder order = TransparentOrder::kSorted);
  // What the last Build call produced.
  const BuiltBatches& Built() const { return built; }

  // Empties every queue (keeping its storage) and restarts the queueing order.
  void Clear();

 private:
  // The two texture slots of a queued transparent draw.
  struct TextureSlots {
    int a;
    int b;
  };
  // A layer's draws of one kind and key. Opaque batches keep their instance records final,
  // with their sub-batches; transparent ones keep the textures and queueing order of each
  // record for the sort.
  struct Batch {
    BatchKey key;
    std::vector<InstanceRecord> instances;
    SubBatchSplit split;
    std::vector<TextureSlots> slots;
    std::vector<std::uint32_t> sequences;
    bool scissor = false;
    glm::ivec4 scissorRect{0};
  };
  struct LayerQueue {
    std::unordered_map<BatchKey, std::uint32_t, BatchKeyHash> indices;
    std::vector<Batch> batches;
    // Batches holding records this frame, in the order of their first record.
    std::vector<std::uint32_t> active;
    // The batch of the last queued draw: runs of one key skip the look-up.
    std::uint32_t last = 0;
    bool hasLast = false;
    // What the first draw queued this frame fills (BatchBuilder::FirstDrawFill).
    glm::ivec2 firstFill{0};

    // The batch of `key`, made active (and given the draw's clip rectangle) on its first draw
    // of the frame.
    Batch& Find(const BatchKey& key, const DrawRequest& draw);
    void Clear();
  };
  // One transparent record in the sort.
  struct SortEntry {
    float value;
    std::uint32_t sequence;
    std::uint32_t batch;
    std::uint32_t record;
  };

  // Where a sorted run of one key starts in the built storage.
  struct RunStart {
    std::uint32_t firstInstance;
    std::uint32_t firstSubBatch;
  };

  void BeginBuild();
  void EndBuild();

  int unitsPerSubBatch;
  std::vector<LayerQueue> opaque;
  std::vector<LayerQueue> transparent;
  std::uint32_t nextSequence = 0;
  std::vector<SortEntry> sortEntries;
  std::vector<RunStart> runStarts;
  BuiltBatches built;
};
