#include "render/batch_builder.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>
#include <limits>

// The instance buffer's attributes (kInstanceAttributeSizes) read these fields in this order.
static_assert(offsetof(InstanceRecord, model0) == 0 * sizeof(float));
static_assert(offsetof(InstanceRecord, translation) == 12 * sizeof(float));
static_assert(offsetof(InstanceRecord, depthModifier) == 15 * sizeof(float));
static_assert(offsetof(InstanceRecord, cellOffset) == 16 * sizeof(float));
static_assert(offsetof(InstanceRecord, unitA) == 18 * sizeof(float));
static_assert(offsetof(InstanceRecord, unitB) == 19 * sizeof(float));
static_assert(offsetof(InstanceRecord, ambient) == 20 * sizeof(float));
static_assert(offsetof(InstanceRecord, diffuse) == 23 * sizeof(float));
static_assert(offsetof(InstanceRecord, alpha) == 26 * sizeof(float));
static_assert(offsetof(InstanceRecord, specular) == 27 * sizeof(float));
static_assert(offsetof(InstanceRecord, shininess) == 30 * sizeof(float));

std::size_t BatchKeyHash::operator()(const BatchKey& key) const {
  const std::hash<int> hash;
  std::size_t seed = hash(key.mesh);
  seed ^= hash(key.program) + 0x9e3779b9u + (seed << 6) + (seed >> 2);
  seed ^= hash(key.order) + 0x9e3779b9u + (seed << 6) + (seed >> 2);
  return seed;
}

// Sub-batches ---------------------------------------------------------------------------------

void SubBatchSplit::Clear() {
  subBatches.clear();
  textures.clear();
}

void SubBatchSplit::StartBatch(std::uint32_t instanceIndex) {
  subBatches.push_back({instanceIndex, 0, static_cast<std::uint32_t>(textures.size()), 0});
}

void SubBatchSplit::Add(int textureA, int textureB, int units, std::uint32_t instanceIndex,
                        InstanceRecord& instance) {
  SubBatch* subBatch = &subBatches.back();
  // Unit of a texture in the current sub-batch, -1 when absent (or no texture).
  const auto unitOf = [this, &subBatch](int texture) {
    if (texture < 0) return -1;
    const int* block = textures.data() + subBatch->firstTexture;
    for (std::uint32_t unit = 0; unit < subBatch->textureCount; ++unit) {
      if (block[unit] == texture) return static_cast<int>(unit);
    }
    return -1;
  };
  textureA = std::max(textureA, -1);
  textureB = std::max(textureB, -1);
  int unitA = unitOf(textureA);
  int unitB = unitOf(textureB);
  // Both slots are reserved whenever they are not found in the sub-batch, an empty slot too.
  const int missing = static_cast<int>(unitA < 0) + static_cast<int>(unitB < 0);
  if (static_cast<int>(subBatch->textureCount) + missing > units) {
    StartBatch(instanceIndex);
    subBatch = &subBatches.back();
    unitA = -1;
    unitB = -1;
  }
  if (textureA >= 0 && unitA < 0) {
    textures.push_back(textureA);
    unitA = static_cast<int>(subBatch->textureCount++);
  }
  // Looked up before A was added: a B equal to a new A takes a unit of its own.
  if (textureB >= 0 && unitB < 0) {
    textures.push_back(textureB);
    unitB = static_cast<int>(subBatch->textureCount++);
  }
  ++subBatch->instanceCount;
  instance.unitA = static_cast<float>(unitA);
  instance.unitB = static_cast<float>(unitB);
}

std::size_t BuiltBatches::SubBatchCount() const {
  std::size_t count = 0;
  for (const BuiltBatch& batch : batches) count += batch.subBatches.size();
  return count;
}

// Queues --------------------------------------------------------------------------------------

BatchBuilder::Batch& BatchBuilder::LayerQueue::Find(const BatchKey& key, const DrawRequest& draw) {
  if (!hasLast || !(batches[last].key == key)) {
    const auto [entry, added] =
        indices.try_emplace(key, static_cast<std::uint32_t>(batches.size()));
    if (added) {
      batches.emplace_back();
      batches.back().key = key;
    }
    last = entry->second;
    hasLast = true;
  }
  Batch& batch = batches[last];
  if (batch.instances.empty()) {
    active.push_back(last);
    batch.scissor = draw.scissor;
    batch.scissorRect = draw.scissorRect;
    batch.split.StartBatch(0);
  }
  return batch;
}

void BatchBuilder::LayerQueue::Clear() {
  for (const std::uint32_t index : active) {
    Batch& batch = batches[index];
    batch.instances.clear();
    batch.split.Clear();
    batch.slots.clear();
    batch.sequences.clear();
  }
  active.clear();
  firstFill = glm::ivec2(0);
}

BatchBuilder::BatchBuilder(int layerCount, int unitsPerSubBatch)
    : unitsPerSubBatch(std::max(unitsPerSubBatch, 2)) {
  for (int layer = 0; layer < layerCount; ++layer) AddLayer();
}

void BatchBuilder::AddLayer() {
  opaque.emplace_back();
  transparent.emplace_back();
}

void BatchBuilder::SetUnitsPerSubBatch(int units) { unitsPerSubBatch = std::max(units, 2); }

void BatchBuilder::Queue(const DrawRequest& draw, const Material& material, int order) {
  InstanceRecord instance;
  instance.model0 = draw.model[0];
  instance.model1 = draw.model[1];
  instance.model2 = draw.model[2];
  instance.translation = glm::vec3(draw.model[3]);
  instance.depthModifier = draw.depthModifier;
  instance.cellOffset = draw.cellOffset;
  instance.ambient = draw.overrideAmbient ? draw.ambientOverride : material.ambient;
  instance.diffuse = draw.overrideDiffuse ? draw.diffuseOverride : material.diffuse;
  instance.alpha = draw.overrideDiffuse ? draw.alphaOverride : material.alpha;
  instance.specular = draw.overrideSpecular ? draw.specularOverride : material.specular;
  instance.shininess = draw.overrideShininess ? draw.shininessOverride : material.shininess;
  const std::uint32_t sequence = nextSequence++;

  const BatchKey key{draw.mesh, material.shader, order};
  const auto layer = static_cast<std::size_t>(draw.layer);
  // NaN alpha compares false: opaque.
  const bool isTransparent = draw.forceTransparent || 1.0f > instance.alpha;
  LayerQueue& queue = isTransparent ? transparent[layer] : opaque[layer];
  if (queue.active.empty()) {
    queue.firstFill = instance.alpha >= 1.0f ? draw.fillsLayerOfSize : glm::ivec2(0);
  }
  if (isTransparent) {
    Batch& batch = queue.Find(key, draw);
    batch.instances.push_back(instance);
    batch.slots.push_back({draw.textureA, draw.textureB});
    batch.sequences.push_back(sequence);
  } else {
    Batch& batch = queue.Find(key, draw);
    const auto index = static_cast<std::uint32_t>(batch.instances.size());
    batch.split.Add(draw.textureA, draw.textureB, unitsPerSubBatch, index, instance);
    batch.instances.push_back(instance);
  }
}

bool BatchBuilder::LayerHasDraws(int layer) const {
  const auto index = static_cast<std::size_t>(layer);
  return !opaque[index].active.empty() || !transparent[index].active.empty();
}

glm::ivec2 BatchBuilder::FirstDrawFill(int layer, TransparentOrder order) const {
  const auto index = static_cast<std::size_t>(layer);
  if (!opaque[index].active.empty()) return opaque[index].firstFill;
  if (order == TransparentOrder::kQueued) return transparent[index].firstFill;
  return glm::ivec2(0);
}

void BatchBuilder::Clear() {
  for (LayerQueue& queue : opaque) queue.Clear();
  for (LayerQueue& queue : transparent) queue.Clear();
  nextSequence = 0;
}

// Building ------------------------------------------------------------------------------------

void BatchBuilder::BeginBuild() {
  built.batches.clear();
  built.programs.clear();
  built.instances.clear();
  built.split.Clear();
}

void BatchBuilder::EndBuild() {
  for (const BuiltBatch& batch : built.batches) built.programs.push_back(batch.key.program);
  std::sort(built.programs.begin(), built.programs.end());
  built.programs.erase(std::unique(built.programs.begin(), built.programs.end()),
                       built.programs.end());
}

const BuiltBatches& BatchBuilder::BuildOpaque(int layer) {
  BeginBuild();
  const LayerQueue& queue = opaque[static_cast<std::size_t>(layer)];
  for (const std::uint32_t index : queue.active) {
    const Batch& batch = queue.batches[index];
    built.batches.push_back({.key = batch.key,
                             .instances = batch.instances,
                             .subBatches = batch.split.subBatches,
                             .textures = batch.split.textures,
                             .scissor = batch.scissor,
                             .scissorRect = batch.scissorRect});
  }
  EndBuild();
  return built;
}

const BuiltBatches& BatchBuilder::BuildTransparent(int layer, glm::vec3 cameraPosition,
                                                   TransparentOrder order) {
  BeginBuild();
  sortEntries.clear();
  const LayerQueue& queue = transparent[static_cast<std::size_t>(layer)];
  for (const std::uint32_t batch : queue.active) {
    const Batch& records = queue.batches[batch];
    for (std::size_t record = 0; record < records.instances.size(); ++record) {
      const InstanceRecord& instance = records.instances[record];
      float value = instance.depthModifier - glm::distance(instance.translation, cameraPosition);
      // A NaN would break the order; such a draw goes last.
      if (std::isnan(value)) value = -std::numeric_limits<float>::infinity();
      sortEntries.push_back(
          {value, records.sequences[record], batch, static_cast<std::uint32_t>(record)});
    }
  }
  if (order == TransparentOrder::kQueued) {
    std::sort(sortEntries.begin(), sortEntries.end(),
              [](const SortEntry& a, const SortEntry& b) { return a.sequence < b.sequence; });
  } else {
    // Highest value first; equal values in the order queued (sequences are unique).
    std::sort(sortEntries.begin(), sortEntries.end(), [](const SortEntry& a, const SortEntry& b) {
      return a.value != b.value ? a.value > b.value : a.sequence < b.sequence;
    });
  }

  // Runs of one key become batches; their instances, sub-batches and textures are laid out
  // one after the other in `built`, and the batches' views are set once nothing moves.
  runStarts.clear();
  const Batch* runBatch = nullptr;
  for (const SortEntry& entry : sortEntries) {
    const Batch& batch = queue.batches[entry.batch];
    const auto instanceIndex = static_cast<std::uint32_t>(built.instances.size());
    if (runBatch == nullptr || !(runBatch->key == batch.key)) {
      runBatch = &batch;
      runStarts.push_back(
          {instanceIndex, static_cast<std::uint32_t>(built.split.subBatches.size())});
      BuiltBatch& run = built.batches.emplace_back();
      run.key = batch.key;
      run.scissor = batch.scissor;
      run.scissorRect = batch.scissorRect;
      built.split.StartBatch(0);
    }
    InstanceRecord& instance = built.instances.emplace_back(batch.instances[entry.record]);
    const TextureSlots& slots = batch.slots[entry.record];
    built.split.Add(slots.a, slots.b, unitsPerSubBatch,
                    instanceIndex - runStarts.back().firstInstance, instance);
  }
  runStarts.push_back({static_cast<std::uint32_t>(built.instances.size()),
                       static_cast<std::uint32_t>(built.split.subBatches.size())});
  for (std::size_t index = 0; index < built.batches.size(); ++index) {
    const RunStart& start = runStarts[index];
    const RunStart& end = runStarts[index + 1];
    BuiltBatch& batch = built.batches[index];
    batch.instances = {built.instances.data() + start.firstInstance,
                       end.firstInstance - start.firstInstance};
    batch.subBatches = {built.split.subBatches.data() + start.firstSubBatch,
                        end.firstSubBatch - start.firstSubBatch};
    batch.textures = built.split.textures;
  }
  EndBuild();
  return built;
}
