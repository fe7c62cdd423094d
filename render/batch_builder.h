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
// steady frame allocates nothing. A built list stays valid until the next Build call or Clear.

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

// One queued draw with its material values resolved.
struct DrawRecord {
  glm::mat4 model{1.0f};
  float depthModifier = 0.0f;
  glm::vec2 cellOffset{0.0f};
  int textureA = -1;
  int textureB = -1;
  glm::vec3 ambient{1.0f};
  glm::vec3 diffuse{1.0f};
  glm::vec3 specular{1.0f};
  float alpha = 1.0f;
  float shininess = 0.0f;
  // Position in the frame's queueing order.
  std::uint32_t sequence = 0;
  // The draw's clip rectangle (see DrawRequest::scissorRect), when it has one.
  bool scissor = false;
  glm::ivec4 scissorRect{0};
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
  std::uint32_t firstInstance = 0;
  std::uint32_t instanceCount = 0;
  // Textures of the sub-batch in BuiltBatches::textures; the one at position u goes to unit u.
  std::uint32_t firstTexture = 0;
  std::uint32_t textureCount = 0;
};

// Instances of one key drawn together, split into sub-batches.
struct BuiltBatch {
  BatchKey key;
  std::uint32_t firstSubBatch = 0;
  std::uint32_t subBatchCount = 0;
  // The clip rectangle of the batch's first draw, when it has one.
  bool scissor = false;
  glm::ivec4 scissorRect{0};
};

// One layer's opaque or transparent draws, built: batches in drawing order.
struct BuiltBatches {
  std::vector<BuiltBatch> batches;
  std::vector<SubBatch> subBatches;
  std::vector<InstanceRecord> instances;
  // GL texture names of every sub-batch, in blocks (SubBatch::firstTexture).
  std::vector<int> textures;
  // The distinct shader programs of the batches, ascending.
  std::vector<int> programs;

  std::span<const SubBatch> SubBatchesOf(const BuiltBatch& batch) const {
    return {subBatches.data() + batch.firstSubBatch, batch.subBatchCount};
  }
  std::span<const InstanceRecord> InstancesOf(const SubBatch& subBatch) const {
    return {instances.data() + subBatch.firstInstance, subBatch.instanceCount};
  }
  std::span<const int> TexturesOf(const SubBatch& subBatch) const {
    return {textures.data() + subBatch.firstTexture, subBatch.textureCount};
  }
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
  void SetUnitsPerSubBatch(int units);
  int UnitsPerSubBatch() const { return unitsPerSubBatch; }

  // Queues a draw on its layer (which must be in 0..LayerCount()-1) with the material's colours
  // where the draw does not override them; `order` is the batch key's order number. The draw is
  // transparent when forced or when its alpha is below 1 (a NaN alpha counts as opaque).
  void Queue(const DrawRequest& draw, const Material& material, int order);
  // Something is queued on the layer.
  bool LayerHasDraws(int layer) const;

  // Builds the layer's opaque draws.
  const BuiltBatches& BuildOpaque(int layer);
  // Builds the layer's transparent draws, sorted against the camera at `cameraPosition`.
  const BuiltBatches& BuildTransparent(int layer, glm::vec3 cameraPosition,
                                       TransparentOrder order = TransparentOrder::kSorted);
  // What the last Build call produced.
  const BuiltBatches& Built() const { return built; }

  // Empties every queue (keeping its storage) and restarts the queueing order.
  void Clear();

 private:
  struct Batch {
    BatchKey key;
    std::vector<DrawRecord> records;
  };
  struct LayerQueue {
    std::unordered_map<BatchKey, std::uint32_t, BatchKeyHash> indices;
    std::vector<Batch> batches;
    // Batches holding records this frame, in the order of their first record.
    std::vector<std::uint32_t> active;

    void Add(const BatchKey& key, const DrawRecord& record);
    void Clear();
  };
  // One transparent record in the sort.
  struct SortEntry {
    float value;
    std::uint32_t sequence;
    std::uint32_t batch;
    std::uint32_t record;
  };

  void BeginBuild();
  void BeginBatch(const BatchKey& key, const DrawRecord& first);
  void AppendInstance(const DrawRecord& record);
  void EndBuild();

  int unitsPerSubBatch;
  std::vector<LayerQueue> opaque;
  std::vector<LayerQueue> transparent;
  std::uint32_t nextSequence = 0;
  std::vector<SortEntry> sortEntries;
  BuiltBatches built;
};
