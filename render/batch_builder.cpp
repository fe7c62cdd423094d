#include "render/batch_builder.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

std::size_t BatchKeyHash::operator()(const BatchKey& key) const {
  const std::hash<int> hash;
  std::size_t seed = hash(key.mesh);
  seed ^= hash(key.program) + 0x9e3779b9u + (seed << 6) + (seed >> 2);
  seed ^= hash(key.order) + 0x9e3779b9u + (seed << 6) + (seed >> 2);
  return seed;
}

void BatchBuilder::LayerQueue::Add(const BatchKey& key, const DrawRecord& record) {
  const auto [entry, added] = indices.try_emplace(key, static_cast<std::uint32_t>(batches.size()));
  if (added) batches.push_back({key, {}});
  Batch& batch = batches[entry->second];
  if (batch.records.empty()) active.push_back(entry->second);
  batch.records.push_back(record);
}

void BatchBuilder::LayerQueue::Clear() {
  for (const std::uint32_t index : active) batches[index].records.clear();
  active.clear();
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
  DrawRecord record;
  record.model = draw.model;
  record.depthModifier = draw.depthModifier;
  record.cellOffset = draw.cellOffset;
  record.textureA = draw.textureA;
  record.textureB = draw.textureB;
  record.ambient = draw.overrideAmbient ? draw.ambientOverride : material.ambient;
  record.diffuse = draw.overrideDiffuse ? draw.diffuseOverride : material.diffuse;
  record.specular = draw.overrideSpecular ? draw.specularOverride : material.specular;
  record.alpha = draw.overrideDiffuse ? draw.alphaOverride : material.alpha;
  record.shininess = draw.overrideShininess ? draw.shininessOverride : material.shininess;
  record.sequence = nextSequence++;
  record.scissor = draw.scissor;
  record.scissorRect = draw.scissorRect;

  const BatchKey key{draw.mesh, material.shader, order};
  // NaN alpha compares false: opaque.
  const bool isTransparent = draw.forceTransparent || 1.0f > record.alpha;
  auto& queues = isTransparent ? transparent : opaque;
  queues[static_cast<std::size_t>(draw.layer)].Add(key, record);
}

bool BatchBuilder::LayerHasDraws(int layer) const {
  const auto index = static_cast<std::size_t>(layer);
  return !opaque[index].active.empty() || !transparent[index].active.empty();
}

void BatchBuilder::Clear() {
  for (LayerQueue& queue : opaque) queue.Clear();
  for (LayerQueue& queue : transparent) queue.Clear();
  nextSequence = 0;
}

void BatchBuilder::BeginBuild() {
  built.batches.clear();
  built.subBatches.clear();
  built.instances.clear();
  built.textures.clear();
  built.programs.clear();
}

void BatchBuilder::EndBuild() {
  std::sort(built.programs.begin(), built.programs.end());
  built.programs.erase(std::unique(built.programs.begin(), built.programs.end()),
                       built.programs.end());
}

void BatchBuilder::BeginBatch(const BatchKey& key, const DrawRecord& first) {
  BuiltBatch batch;
  batch.key = key;
  batch.firstSubBatch = static_cast<std::uint32_t>(built.subBatches.size());
  batch.subBatchCount = 1;
  batch.scissor = first.scissor;
  batch.scissorRect = first.scissorRect;
  built.batches.push_back(batch);
  built.subBatches.push_back({static_cast<std::uint32_t>(built.instances.size()), 0,
                              static_cast<std::uint32_t>(built.textures.size()), 0});
  built.programs.push_back(key.program);
}

void BatchBuilder::AppendInstance(const DrawRecord& record) {
  SubBatch* subBatch = &built.subBatches.back();
  // Unit of a texture in the current sub-batch, -1 when absent (or no texture).
  const auto unitOf = [this, &subBatch](int texture) {
    if (texture < 0) return -1;
    const int* block = built.textures.data() + subBatch->firstTexture;
    for (std::uint32_t unit = 0; unit < subBatch->textureCount; ++unit) {
      if (block[unit] == texture) return static_cast<int>(unit);
    }
    return -1;
  };
  const int textureA = record.textureA >= 0 ? record.textureA : -1;
  const int textureB = record.textureB >= 0 ? record.textureB : -1;
  int unitA = unitOf(textureA);
  int unitB = unitOf(textureB);
  // Both slots are reserved whenever they are not found in the sub-batch, an empty slot too.
  const int missing = static_cast<int>(unitA < 0) + static_cast<int>(unitB < 0);
  if (static_cast<int>(subBatch->textureCount) + missing > unitsPerSubBatch) {
    built.subBatches.push_back({static_cast<std::uint32_t>(built.instances.size()), 0,
                                static_cast<std::uint32_t>(built.textures.size()), 0});
    ++built.batches.back().subBatchCount;
    subBatch = &built.subBatches.back();
    unitA = -1;
    unitB = -1;
  }
  if (textureA >= 0 && unitA < 0) {
    built.textures.push_back(textureA);
    unitA = static_cast<int>(subBatch->textureCount++);
  }
  // Looked up before A was added: a B equal to a new A takes a unit of its own.
  if (textureB >= 0 && unitB < 0) {
    built.textures.push_back(textureB);
    unitB = static_cast<int>(subBatch->textureCount++);
  }
  ++subBatch->instanceCount;

  InstanceRecord& instance = built.instances.emplace_back();
  instance.model0 = record.model[0];
  instance.model1 = record.model[1];
  instance.model2 = record.model[2];
  instance.translation = glm::vec3(record.model[3]);
  instance.depthModifier = record.depthModifier;
  instance.cellOffset = record.cellOffset;
  instance.unitA = static_cast<float>(unitA);
  instance.unitB = static_cast<float>(unitB);
  instance.ambient = record.ambient;
  instance.diffuse = record.diffuse;
  instance.alpha = record.alpha;
  instance.specular = record.specular;
  instance.shininess = record.shininess;
}

const BuiltBatches& BatchBuilder::BuildOpaque(int layer) {
  BeginBuild();
  const LayerQueue& queue = opaque[static_cast<std::size_t>(layer)];
  for (const std::uint32_t index : queue.active) {
    const Batch& batch = queue.batches[index];
    BeginBatch(batch.key, batch.records.front());
    for (const DrawRecord& record : batch.records) AppendInstance(record);
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
    const std::vector<DrawRecord>& records = queue.batches[batch].records;
    for (std::size_t record = 0; record < records.size(); ++record) {
      const DrawRecord& draw = records[record];
      float value = draw.depthModifier - glm::distance(glm::vec3(draw.model[3]), cameraPosition);
      // A NaN would break the order; such a draw goes last.
      if (std::isnan(value)) value = -std::numeric_limits<float>::infinity();
      sortEntries.push_back({value, draw.sequence, batch, static_cast<std::uint32_t>(record)});
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

  for (const SortEntry& entry : sortEntries) {
    const Batch& batch = queue.batches[entry.batch];
    const DrawRecord& record = batch.records[entry.record];
    if (built.batches.empty() || !(built.batches.back().key == batch.key)) {
      BeginBatch(batch.key, record);
    }
    AppendInstance(record);
  }
  EndBuild();
  return built;
}
