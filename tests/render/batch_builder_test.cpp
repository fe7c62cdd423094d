// The batch builder without a GL context: which draws become one batch, in which order, how
// transparent draws are sorted, how textures split a batch into sub-batches, and what each
// instance record carries.

#include "render/batch_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <glm/gtc/matrix_transform.hpp>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kLayers = 9;
constexpr int kUnits = 13;

// A draw named by its id, which the builder carries through as the x of the cell offset.
struct Queued {
  int id = 0;
  int mesh = 1;
  int program = 7;
  int order = 0;
  int layer = 1;
  float alpha = 1.0f;
  bool forced = false;
  float depthModifier = 0.0f;
  // Position on the z axis, the distance to a camera at the origin.
  float z = 0.0f;
};

DrawRequest Request(const Queued& queued) {
  DrawRequest draw;
  draw.mesh = queued.mesh;
  draw.material = 0;
  draw.textureA = 100;
  draw.layer = queued.layer;
  draw.model = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, queued.z));
  draw.cellOffset.x = static_cast<float>(queued.id);
  draw.depthModifier = queued.depthModifier;
  draw.forceTransparent = queued.forced;
  if (queued.alpha != 1.0f) {
    draw.overrideDiffuse = true;
    draw.alphaOverride = queued.alpha;
  }
  return draw;
}

Material WithProgram(int program) {
  Material material;
  material.shader = program;
  return material;
}

void QueueAll(BatchBuilder& builder, const std::vector<Queued>& draws) {
  for (const Queued& queued : draws) {
    builder.Queue(Request(queued), WithProgram(queued.program), queued.order);
  }
}

// "mesh.program.order(ids)" per batch, in drawing order; " | " between sub-batches.
std::string Describe(const BuiltBatches& built) {
  std::string text;
  for (const BuiltBatch& batch : built.batches) {
    if (!text.empty()) text += ' ';
    text += std::to_string(batch.key.mesh) + '.' + std::to_string(batch.key.program) + '.' +
            std::to_string(batch.key.order) + '(';
    bool firstSubBatch = true;
    for (const SubBatch& subBatch : batch.subBatches) {
      if (!firstSubBatch) text += " | ";
      firstSubBatch = false;
      bool firstInstance = true;
      for (const InstanceRecord& instance : batch.InstancesOf(subBatch)) {
        if (!firstInstance) text += ' ';
        firstInstance = false;
        text += std::to_string(static_cast<int>(std::lround(instance.cellOffset.x)));
      }
    }
    text += ')';
  }
  return text;
}

TEST(BatchBuilder, GroupsOpaqueAndTransparentDrawsByMeshProgramOrderAndLayer) {
  const struct {
    const char* name;
    std::vector<Queued> draws;
    std::string opaque1;
    std::string transparent1;
    std::string opaque2;
  } cases[] = {
      {"one key is one batch", {{.id = 0}, {.id = 1}}, "1.7.0(0 1)", "", ""},
      {"mesh, program and order each make a key",
       {{.id = 0}, {.id = 1, .mesh = 2}, {.id = 2, .program = 8}, {.id = 3, .order = 1}},
       "1.7.0(0) 2.7.0(1) 1.8.0(2) 1.7.1(3)",
       "",
       ""},
      {"batches in the order of their first draw, draws in queueing order",
       {{.id = 0, .mesh = 2}, {.id = 1}, {.id = 2, .mesh = 2}, {.id = 3}},
       "2.7.0(0 2) 1.7.0(1 3)",
       "",
       ""},
      {"layers keep their own batches",
       {{.id = 0}, {.id = 1, .layer = 2}, {.id = 2}},
       "1.7.0(0 2)",
       "",
       "1.7.0(1)"},
      {"alpha below 1 or forced is transparent; NaN alpha is opaque",
       {{.id = 0, .alpha = 0.5f},
        {.id = 1, .forced = true},
        {.id = 2, .alpha = std::nanf("")},
        {.id = 3}},
       "1.7.0(2 3)",
       "1.7.0(0 1)",
       ""},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    BatchBuilder builder(kLayers, kUnits);
    QueueAll(builder, test.draws);
    EXPECT_EQ(Describe(builder.BuildOpaque(1)), test.opaque1);
    EXPECT_EQ(Describe(builder.BuildTransparent(1, glm::vec3(0.0f))), test.transparent1);
    EXPECT_EQ(Describe(builder.BuildOpaque(2)), test.opaque2);
  }
}

TEST(BatchBuilder, SortsTransparentDrawsAndJoinsRunsOfOneKey) {
  const auto transparent = [](Queued queued) {
    queued.forced = true;
    return queued;
  };
  const struct {
    const char* name;
    std::vector<Queued> draws;
    TransparentOrder order;
    std::string expected;
  } cases[] = {
      {"nearer first at equal modifier",
       {transparent({.id = 0, .z = 1}), transparent({.id = 1, .z = 3}),
        transparent({.id = 2, .z = -2})},
       TransparentOrder::kSorted,
       "1.7.0(0 2 1)"},
      {"a higher depth modifier first",
       {transparent({.id = 0, .depthModifier = 1}), transparent({.id = 1, .depthModifier = 5})},
       TransparentOrder::kSorted,
       "1.7.0(1 0)"},
      {"equal values keep the order queued",
       {transparent({.id = 0, .z = 2}), transparent({.id = 1, .z = -2}),
        transparent({.id = 2, .z = 2})},
       TransparentOrder::kSorted,
       "1.7.0(0 1 2)"},
      {"another key sorted between splits a key",
       {transparent({.id = 0, .depthModifier = 3}),
        transparent({.id = 1, .mesh = 2, .depthModifier = 2}),
        transparent({.id = 2, .depthModifier = 1})},
       TransparentOrder::kSorted,
       "1.7.0(0) 2.7.0(1) 1.7.0(2)"},
      {"sorted next to each other they join",
       {transparent({.id = 0, .depthModifier = 3}),
        transparent({.id = 1, .mesh = 2, .depthModifier = 1}),
        transparent({.id = 2, .depthModifier = 2})},
       TransparentOrder::kSorted,
       "1.7.0(0 2) 2.7.0(1)"},
      {"a NaN position goes last",
       {transparent({.id = 0, .z = std::nanf("")}), transparent({.id = 1, .z = 5}),
        transparent({.id = 2, .z = 1})},
       TransparentOrder::kSorted,
       "1.7.0(2 1 0)"},
      {"queued order ignores depth",
       {transparent({.id = 0, .z = 1}), transparent({.id = 1, .mesh = 2, .z = 3}),
        transparent({.id = 2, .z = 2})},
       TransparentOrder::kQueued,
       "1.7.0(0) 2.7.0(1) 1.7.0(2)"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    BatchBuilder builder(kLayers, kUnits);
    QueueAll(builder, test.draws);
    EXPECT_EQ(Describe(builder.BuildTransparent(1, glm::vec3(0.0f), test.order)), test.expected);
  }
}

TEST(BatchBuilder, TheCameraPositionDecidesTheTransparentOrder) {
  BatchBuilder builder(kLayers, kUnits);
  QueueAll(builder, {{.id = 0, .forced = true, .z = 1}, {.id = 1, .forced = true, .z = 4}});
  EXPECT_EQ(Describe(builder.BuildTransparent(1, glm::vec3(0.0f))), "1.7.0(0 1)");
  EXPECT_EQ(Describe(builder.BuildTransparent(1, glm::vec3(0.0f, 0.0f, 5.0f))), "1.7.0(1 0)");
}

// Texture slots of one draw; -1 is empty.
struct Slots {
  int a;
  int b;
};

TEST(BatchBuilder, TexturesSplitABatchIntoSubBatchesOfFreeUnits) {
  const auto distinct = [](int count, bool bSameAsA) {
    std::vector<Slots> slots;
    for (int texture = 1; texture <= count; ++texture)
      slots.push_back({texture, bSameAsA ? texture : -1});
    return slots;
  };
  const struct {
    const char* name;
    std::vector<Slots> slots;
    // Instances per sub-batch.
    std::vector<std::uint32_t> split;
  } cases[] = {
      // An empty slot takes a unit as well: 12 draws of one new texture fill 13 units.
      {"one new texture each, 12 fit", distinct(12, false), {12}},
      {"one new texture each, the 13th splits", distinct(13, false), {12, 1}},
      {"a B equal to a new A takes its own unit", distinct(7, true), {6, 1}},
      {"textures already in the sub-batch take no unit",
       {{1, 2}, {1, 2}, {2, 1}, {1, -1}, {1, 2}},
       {5}},
      {"a full sub-batch still takes a draw of textures it holds",
       [&] {
         std::vector<Slots> slots = distinct(12, false);
         slots.push_back({3, 4});
         return slots;
       }(),
       {13}},
  };
  // Opaque draws get their units as they are queued, transparent ones once sorted; each case
  // runs both ways. A second key's draws, interleaved with textures of their own (and sorted
  // after the first key's), must not disturb the first key's units.
  constexpr int kSecondKeyTextures = 1000;
  for (const auto& test : cases) {
    for (const bool transparent : {false, true}) {
      SCOPED_TRACE(std::string(test.name) + (transparent ? ", transparent" : ", opaque"));
      BatchBuilder builder(kLayers, kUnits);
      for (std::size_t index = 0; index < test.slots.size(); ++index) {
        for (const int mesh : {1, 2}) {
          const int offset = mesh == 1 ? 0 : kSecondKeyTextures;
          DrawRequest draw = Request({.id = static_cast<int>(index), .mesh = mesh});
          draw.forceTransparent = transparent;
          draw.depthModifier = mesh == 1 ? 0.0f : -10.0f;
          draw.textureA = test.slots[index].a < 0 ? -1 : test.slots[index].a + offset;
          draw.textureB = test.slots[index].b < 0 ? -1 : test.slots[index].b + offset;
          builder.Queue(draw, WithProgram(7), 0);
        }
      }
      const BuiltBatches& built =
          transparent ? builder.BuildTransparent(1, glm::vec3(0.0f)) : builder.BuildOpaque(1);
      ASSERT_EQ(built.batches.size(), 2u);
      for (const BuiltBatch& batch : built.batches) {
        const int offset = batch.key.mesh == 1 ? 0 : kSecondKeyTextures;
        std::vector<std::uint32_t> split;
        for (const SubBatch& subBatch : batch.subBatches) {
          split.push_back(subBatch.instanceCount);
          const std::span<const int> textures = batch.TexturesOf(subBatch);
          EXPECT_LE(textures.size(), static_cast<std::size_t>(kUnits));
          // Every instance's units name its own textures within its sub-batch.
          for (const InstanceRecord& instance : batch.InstancesOf(subBatch)) {
            const Slots& slots =
                test.slots[static_cast<std::size_t>(std::lround(instance.cellOffset.x))];
            for (const auto& [unit, texture] :
                 {std::pair{instance.unitA, slots.a}, std::pair{instance.unitB, slots.b}}) {
              if (texture < 0) {
                EXPECT_EQ(unit, -1.0f);
              } else {
                ASSERT_GE(unit, 0.0f);
                ASSERT_LT(static_cast<std::size_t>(unit), textures.size());
                EXPECT_EQ(textures[static_cast<std::size_t>(unit)], texture + offset);
              }
            }
          }
        }
        EXPECT_EQ(split, test.split);
      }
    }
  }
}

TEST(BatchBuilder, InstanceRecordsCarryTheDrawAndTheMaterialWhereNotOverridden) {
  Material material;
  material.ambient = {0.1f, 0.2f, 0.3f};
  material.diffuse = {0.4f, 0.5f, 0.6f};
  material.specular = {0.7f, 0.8f, 0.9f};
  material.alpha = 1.0f;
  material.shininess = 16.0f;
  material.shader = 7;

  DrawRequest plain;
  plain.mesh = 1;
  plain.material = 0;
  plain.textureA = 5;
  plain.model = glm::scale(glm::translate(glm::mat4(1.0f), {1.0f, 2.0f, 3.0f}), {4.0f, 5.0f, 6.0f});
  plain.depthModifier = 0.25f;
  plain.cellOffset = {0.5f, 0.75f};
  DrawRequest overridden = plain;
  overridden.textureB = 6;
  overridden.overrideAmbient = true;
  overridden.ambientOverride = {1.0f, 0.0f, 0.0f};
  overridden.overrideDiffuse = true;
  overridden.diffuseOverride = {0.0f, 1.0f, 0.0f};
  overridden.alphaOverride = 1.0f;
  overridden.overrideSpecular = true;
  overridden.specularOverride = {0.0f, 0.0f, 1.0f};
  overridden.overrideShininess = true;
  overridden.shininessOverride = 2.0f;

  BatchBuilder builder(kLayers, kUnits);
  builder.Queue(plain, material, 0);
  builder.Queue(overridden, material, 0);
  const BuiltBatches& built = builder.BuildOpaque(1);
  ASSERT_EQ(built.batches.size(), 1u);
  const std::span<const InstanceRecord> instances = built.batches[0].instances;
  ASSERT_EQ(instances.size(), 2u);

  const InstanceRecord& first = instances[0];
  EXPECT_EQ(first.model0, glm::vec4(4.0f, 0.0f, 0.0f, 0.0f));
  EXPECT_EQ(first.model1, glm::vec4(0.0f, 5.0f, 0.0f, 0.0f));
  EXPECT_EQ(first.model2, glm::vec4(0.0f, 0.0f, 6.0f, 0.0f));
  EXPECT_EQ(first.translation, glm::vec3(1.0f, 2.0f, 3.0f));
  EXPECT_EQ(first.depthModifier, 0.25f);
  EXPECT_EQ(first.cellOffset, glm::vec2(0.5f, 0.75f));
  EXPECT_EQ(first.unitA, 0.0f);
  EXPECT_EQ(first.unitB, -1.0f);
  EXPECT_EQ(first.ambient, material.ambient);
  EXPECT_EQ(first.diffuse, material.diffuse);
  EXPECT_EQ(first.alpha, 1.0f);
  EXPECT_EQ(first.specular, material.specular);
  EXPECT_EQ(first.shininess, 16.0f);

  const InstanceRecord& second = instances[1];
  // Texture 5 is already on unit 0; the new texture 6 takes the next unit.
  EXPECT_EQ(second.unitA, 0.0f);
  EXPECT_EQ(second.unitB, 1.0f);
  EXPECT_EQ(second.ambient, glm::vec3(1.0f, 0.0f, 0.0f));
  EXPECT_EQ(second.diffuse, glm::vec3(0.0f, 1.0f, 0.0f));
  EXPECT_EQ(second.specular, glm::vec3(0.0f, 0.0f, 1.0f));
  EXPECT_EQ(second.shininess, 2.0f);

  // The instance buffer is read as the shader's attributes, packed in field order.
  const float* floats = &first.model0.x;
  EXPECT_EQ(floats[15], 0.25f);
  EXPECT_EQ(floats[18], 0.0f);
  EXPECT_EQ(floats[19], -1.0f);
  EXPECT_EQ(floats[26], 1.0f);
  EXPECT_EQ(floats[30], 16.0f);
}

TEST(BatchBuilder, BuiltListsNameTheProgramsAndTheFirstDrawsClipRectangle) {
  BatchBuilder builder(kLayers, kUnits);
  DrawRequest clipped = Request({.id = 0, .order = 1});
  clipped.scissor = true;
  clipped.scissorRect = {1, 2, 3, 4};
  builder.Queue(clipped, WithProgram(9), 1);
  QueueAll(builder, {{.id = 1, .program = 9}, {.id = 2, .program = 3}, {.id = 3, .program = 9}});
  const BuiltBatches& built = builder.BuildOpaque(1);
  EXPECT_EQ(built.programs, (std::vector<int>{3, 9}));
  ASSERT_EQ(built.batches.size(), 3u);
  EXPECT_TRUE(built.batches[0].scissor);
  EXPECT_EQ(built.batches[0].scissorRect, glm::ivec4(1, 2, 3, 4));
  EXPECT_FALSE(built.batches[1].scissor);
}

TEST(BatchBuilder, ClearEmptiesEveryLayerAndTheNextFrameHasItsOwnOrder) {
  BatchBuilder builder(kLayers, kUnits);
  QueueAll(builder, {{.id = 0, .layer = 3}, {.id = 1, .layer = 5, .forced = true}});
  EXPECT_TRUE(builder.LayerHasDraws(3));
  EXPECT_TRUE(builder.LayerHasDraws(5));
  EXPECT_FALSE(builder.LayerHasDraws(1));
  builder.Clear();
  for (int layer = 0; layer < kLayers; ++layer) EXPECT_FALSE(builder.LayerHasDraws(layer));
  EXPECT_EQ(Describe(builder.BuildOpaque(3)), "");

  // Batches kept from the last frame come in the new frame's queueing order.
  QueueAll(builder, {{.id = 4}, {.id = 5, .mesh = 2}});
  EXPECT_EQ(Describe(builder.BuildOpaque(1)), "1.7.0(4) 2.7.0(5)");
  builder.Clear();
  QueueAll(builder, {{.id = 6, .mesh = 2}, {.id = 7}});
  EXPECT_EQ(Describe(builder.BuildOpaque(1)), "2.7.0(6) 1.7.0(7)");
}

TEST(BatchBuilder, ALayerIsFilledWhenItsFirstDrawnDrawSaysSo) {
  // `filler` claims to cover a 64 x 32 layer; what the builder reports depends on whether it is
  // drawn first.
  const auto filler = [](Queued queued) {
    DrawRequest draw = Request(queued);
    draw.fillsLayerOfSize = {64, 32};
    return draw;
  };
  constexpr glm::ivec2 kFilled{64, 32};
  constexpr glm::ivec2 kNone{0, 0};
  struct Case {
    const char* name;
    std::vector<DrawRequest> draws;
    TransparentOrder order;
    glm::ivec2 fill;
  };
  const std::vector<Case> cases = {
      {"an opaque filler first",
       {filler({.id = 0}), Request({.id = 1, .forced = true})},
       TransparentOrder::kSorted,
       kFilled},
      {"a transparent filler first, kept in queueing order",
       {filler({.id = 0, .forced = true}), Request({.id = 1, .forced = true})},
       TransparentOrder::kQueued,
       kFilled},
      {"a transparent filler first, but sorted",
       {filler({.id = 0, .forced = true})},
       TransparentOrder::kSorted,
       kNone},
      {"an opaque draw queued later is drawn first",
       {filler({.id = 0, .forced = true}), Request({.id = 1})},
       TransparentOrder::kQueued,
       kNone},
      {"the filler queued second",
       {Request({.id = 0}), filler({.id = 1})},
       TransparentOrder::kQueued,
       kNone},
      {"a see-through filler",
       {filler({.id = 0, .alpha = 0.5f})},
       TransparentOrder::kQueued,
       kNone},
      {"a filler on another layer",
       {filler({.id = 0, .layer = 2})},
       TransparentOrder::kQueued,
       kNone},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    BatchBuilder builder(kLayers, kUnits);
    for (const DrawRequest& draw : test.draws) builder.Queue(draw, WithProgram(7), 0);
    EXPECT_EQ(builder.FirstDrawFill(1, test.order), test.fill);
    builder.Clear();
    EXPECT_EQ(builder.FirstDrawFill(1, test.order), kNone) << "after Clear";
  }
}

}  // namespace
