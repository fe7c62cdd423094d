// Components are values: a copy owns its own containers (strings, lists, maps, sets) and shares
// the resource ids and document handles of its source. Run over every class that owns a
// container with more to it than a single string.

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "components/animation_group.h"
#include "components/lua_script_container.h"
#include "components/model_list.h"
#include "components/particle_emitter.h"
#include "components/rml_document.h"
#include "components/sequence.h"
#include "components/tag_container.h"
#include "components/texture_component.h"
#include "components/tilemap.h"
#include "components/transform.h"
#include "components/ttf.h"

namespace {

// Per class: Filled() gives a component whose owned members all hold something; Mutate()
// changes every owned member that Owned() reports; Owned() takes the owned members (and the
// shared handles) out as plain values to compare, for filled and default values alike.
template <typename Component>
struct CopyCase;

template <>
struct CopyCase<Transform> {
  static Transform Filled() {
    Transform t({1, 2, 3}, {0, 0, 0}, {1, 1, 1});
    t._string = "a string long enough to live outside the small-string buffer";
    t._pair = {3, "three"};
    t._pairSet = {{1, "one"}, {2, "two"}};
    return t;
  }
  static void Mutate(Transform& t) {
    t._string += "!";
    t._pair.second += "!";
    t._pairSet.insert({9, "nine"});
  }
  static auto Owned(const Transform& t) { return std::make_tuple(t._string, t._pair, t._pairSet); }
};

template <>
struct CopyCase<TTF> {
  static TTF Filled() {
    TTF t;
    t._fontFilePath = "./GAME/Assets/Fonts/DejaVuSans.ttf";
    t._text = "Score";
    t.glyphs['A'] = Glyph{10, 12, 1, 11, 640, 0.0625f, 0.25f};
    t.atlasTexture = 17;
    return t;
  }
  static void Mutate(TTF& t) {
    t._fontFilePath.clear();
    t._text += "!";
    t.glyphs['A'].advance = 1;
    t.glyphs['B'] = Glyph{};
  }
  static auto Owned(const TTF& t) {
    return std::make_tuple(t._fontFilePath, t._text, t.glyphs.size(),
                           t.glyphs.count('A') != 0u ? t.glyphs.at('A').advance : 0,
                           t.atlasTexture);
  }
};

template <>
struct CopyCase<TagContainer> {
  static TagContainer Filled() {
    TagContainer t;
    t._tags = {"UILayer", "GrassInteractable"};
    return t;
  }
  static void Mutate(TagContainer& t) {
    t._tags[0] = "Changed";
    t._tags.push_back("Extra");
  }
  static auto Owned(const TagContainer& t) { return std::make_tuple(t._tags); }
};

template <>
struct CopyCase<ModelList> {
  static ModelList Filled() {
    ModelList m;
    m._path = "./GAME/Assets/Models/list.txt";
    m.namedModels = {{"player_clip", 3}};
    m.modelLines = {"mesh a b mat", "mesh c d mat", "mesh e f mat"};
    m.models[0] = {1, 2, 3, 4};
    m.models[255] = {5, 6, 7, 8};
    m.modelCount = 3;
    return m;
  }
  static void Mutate(ModelList& m) {
    m._path += "x";
    m.namedModels["player_clip"] = 1;
    m.modelLines.pop_back();
    m.models[0][0] = 99;
    m.models[255].clear();
  }
  static auto Owned(const ModelList& m) {
    return std::make_tuple(m._path, m.namedModels, m.modelLines, m.models[0], m.models[255]);
  }
};

template <>
struct CopyCase<TextureComponent> {
  static TextureComponent Filled() {
    TextureComponent t;
    t._albedoPath = "./GAME/Assets/Textures/albedo.png";
    t._normalPath = "./GAME/Assets/Textures/normal.png";
    t.albedoTexture = 4;
    t.normalTexture = 5;
    return t;
  }
  static void Mutate(TextureComponent& t) {
    t._albedoPath.clear();
    t._normalPath += "~";
  }
  static auto Owned(const TextureComponent& t) {
    return std::make_tuple(t._albedoPath, t._normalPath, t.albedoTexture, t.normalTexture);
  }
};

template <>
struct CopyCase<Tilemap> {
  static Tilemap Filled() {
    Tilemap t;
    t._path = "./GAME/Assets/Tiles/level.txt";
    t._trailMapPath = "./GAME/Assets/Textures/trail.png";
    t.width = 3;
    t.height = 2;
    t.layer1 = {'0', '1', '2', '3', '4', '5'};
    t.layer2 = {'1', '1', '1', '1', '1', '1'};
    t.layer3 = {'0', '0', '0', '0', '0', '1'};
    t.heights = {0.0f, 0.5f, 1.0f, 1.5f, 2.0f, 2.5f};
    t.tileValues = {1, 2, 3, 4, 5, 6};
    t.trailMapTexture = 8;
    FoliageData grass;
    grass._meshPath = "./GAME/Assets/Meshes/blade.txt";
    grass._densityMapPath = "./GAME/Assets/Textures/density.png";
    grass._heightMapPath = "./GAME/Assets/Textures/height.png";
    grass.densityValues = {255, 128, 0};
    grass.densityTexture = 11;
    t._foliageData = {grass};
    return t;
  }
  static void Mutate(Tilemap& t) {
    t._path.clear();
    t._trailMapPath.clear();
    t.layer1[0] = '9';
    t.layer2.clear();
    t.layer3.push_back('7');
    t.heights[1] = -1.0f;
    t.tileValues.pop_back();
    FoliageData& grass = t._foliageData[0];
    grass._meshPath += "!";
    grass._densityMapPath.clear();
    grass._heightMapPath.clear();
    grass.densityValues[0] = 1;
  }
  static auto Owned(const Tilemap& t) {
    static const FoliageData none;
    const FoliageData& grass = t._foliageData.empty() ? none : t._foliageData[0];
    return std::make_tuple(t._path, t._trailMapPath, t.layer1, t.layer2, t.layer3, t.heights,
                           t.tileValues, t.trailMapTexture, grass._meshPath, grass._densityMapPath,
                           grass._heightMapPath, grass.densityValues, grass.densityTexture);
  }
};

template <>
struct CopyCase<ParticleEmitter> {
  static ParticleEmitter Filled() {
    ParticleEmitter p;
    p._meshPath = "./GAME/Assets/Meshes/quad.txt";
    p._materialPath = "./GAME/Assets/Materials/spark.json";
    p._texturePath = "./GAME/Assets/Textures/spark.png";
    p._mathEquation = "sin(t)";
    p._scaleCurve.keyframes = {{0.0f, glm::vec3(1.0f)}, {1.0f, glm::vec3(2.0f)}};
    p._colorCurve.keyframes = {{0.5f, glm::vec4(0.5f)}};
    p.particles.resize(3);
    p.meshHandle = 2;
    return p;
  }
  static void Mutate(ParticleEmitter& p) {
    p._meshPath.clear();
    p._materialPath += "~";
    p._texturePath.clear();
    p._mathEquation = "cos(t)";
    p._scaleCurve.keyframes[1].time = 0.75f;
    p._colorCurve.keyframes.clear();
    p.particles.pop_back();
  }
  static auto Owned(const ParticleEmitter& p) {
    return std::make_tuple(
        p._meshPath, p._materialPath, p._texturePath, p._mathEquation,
        p._scaleCurve.keyframes.size(),
        p._scaleCurve.keyframes.empty() ? 0.0f : p._scaleCurve.keyframes.back().time,
        p._colorCurve.keyframes.size(), p.particles.size(), p.meshHandle);
  }
};

template <>
struct CopyCase<LuaScriptContainer> {
  static LuaScriptContainer Filled() {
    LuaScriptContainer c;
    c._scriptList = {"player player.lua", "camera camera.lua"};
    c.BuildScriptMap();
    return c;
  }
  static void Mutate(LuaScriptContainer& c) {
    c.pathPrefix = "./elsewhere/";
    c._scriptList.clear();
    c.scriptMap["player"] = "replaced.lua";
  }
  static auto Owned(const LuaScriptContainer& c) {
    return std::make_tuple(c.pathPrefix, c._scriptList, c.scriptMap);
  }
};

template <>
struct CopyCase<AnimationGroup> {
  static AnimationGroup Filled() {
    AnimationGroup a;
    AnimationSheet walk;
    walk.texture = 6;
    walk.clips = {{"walk", 0, 8, 8.0f}};
    walk.eventFrames = {2, 6};
    walk.eventMessage = "play_sfx step";
    a._animList = {"walk walk.txt"};
    a.sheets["walk"] = walk;
    a.currentSheet = walk;
    a.currentClipName = "walk";
    return a;
  }
  static void Mutate(AnimationGroup& a) {
    a.pathPrefix.clear();
    a.currentSheet.clips[0].name = "run";
    a.currentSheet.eventFrames.clear();
    a.currentSheet.eventMessage += "!";
    a._animList.push_back("run run.txt");
    a.sheets["walk"].clips.clear();
    a.currentClipName = "run";
  }
  static auto Owned(const AnimationGroup& a) {
    const auto walk = a.sheets.find("walk");
    const int walkClips = walk == a.sheets.end() ? -1 : static_cast<int>(walk->second.clips.size());
    return std::make_tuple(a.pathPrefix,
                           a.currentSheet.clips.empty() ? "" : a.currentSheet.clips[0].name,
                           a.currentSheet.eventFrames, a.currentSheet.eventMessage, a._animList,
                           walkClips, a.currentClipName, a.currentSheet.texture);
  }
};

int documentStandIn = 0;

template <>
struct CopyCase<RMLDocument> {
  static RMLDocument Filled() {
    RMLDocument d;
    d._path = "main_menu.rml";
    // Never dereferenced: only the handle's identity matters.
    d.document = reinterpret_cast<Rml::ElementDocument*>(&documentStandIn);
    return d;
  }
  static void Mutate(RMLDocument& d) { d._path += "~"; }
  static auto Owned(const RMLDocument& d) { return std::make_tuple(d._path, d.document); }
};

template <>
struct CopyCase<Sequence> {
  static Sequence Filled() {
    Sequence s;
    s._path = "./GAME/Assets/Audio/Sequences/theme.txt";
    s.notes[1] = {SequenceNote{10, 20, 0, 0, 0, 1}, SequenceNote{10, 30, 0, 0, 0, 1}};
    return s;
  }
  static void Mutate(Sequence& s) {
    s._path.clear();
    s.notes[1][0].column3 = 99;
    s.notes[2] = {};
  }
  static auto Owned(const Sequence& s) {
    const auto step = s.notes.find(1);
    const bool filled = step != s.notes.end() && !step->second.empty();
    return std::make_tuple(s._path, s.notes.size(), filled ? step->second.size() : 0u,
                           filled ? step->second[0].column3 : 0);
  }
};

template <typename Component>
class ComponentCopyTest : public ::testing::Test {};

using OwningComponents =
    ::testing::Types<Transform, TTF, TagContainer, ModelList, TextureComponent, Tilemap,
                     ParticleEmitter, LuaScriptContainer, AnimationGroup, RMLDocument, Sequence>;
TYPED_TEST_SUITE(ComponentCopyTest, OwningComponents);

TYPED_TEST(ComponentCopyTest, CopyOwnsItsContainersAndSharesItsHandles) {
  using Case = CopyCase<TypeParam>;
  auto source = std::make_unique<TypeParam>(Case::Filled());
  source->fromPrefab = true;

  TypeParam copy(*source);
  EXPECT_TRUE(copy.fromPrefab);
  EXPECT_EQ(Case::Owned(copy), Case::Owned(*source));

  TypeParam assigned;
  assigned = *source;
  EXPECT_TRUE(assigned.fromPrefab);
  EXPECT_EQ(Case::Owned(assigned), Case::Owned(*source));

  Case::Mutate(copy);
  EXPECT_NE(Case::Owned(copy), Case::Owned(*source));
  EXPECT_EQ(Case::Owned(*source), Case::Owned(Case::Filled())) << "the source changed";
  EXPECT_EQ(Case::Owned(assigned), Case::Owned(Case::Filled())) << "another copy changed";

  source.reset();
  EXPECT_EQ(Case::Owned(assigned), Case::Owned(Case::Filled())) << "outlives its source";

  assigned = assigned;  // self-assignment keeps the value
  EXPECT_EQ(Case::Owned(assigned), Case::Owned(Case::Filled()));
}

TYPED_TEST(ComponentCopyTest, AssigningADefaultEmptiesTheSlot) {
  using Case = CopyCase<TypeParam>;
  TypeParam slot = Case::Filled();
  slot.fromPrefab = true;
  const TypeParam fresh{};
  slot = fresh;
  EXPECT_FALSE(slot.fromPrefab);
  EXPECT_EQ(Case::Owned(slot), Case::Owned(fresh));
}

}  // namespace
