#include "engine/enum_table.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

// Tables with the lists the component files use: bare names with blanks, bare names without
// blanks, and qualified names whose values are not in list order.
const EnumNameTable& ModeTable() {
  static const EnumNameTable table("enum Mode", "ORTHO, PERSPECTIVE", {0, 1});
  return table;
}

const EnumNameTable& ColliderTypeTable() {
  static const EnumNameTable table("enum ColliderType", "AABB,CIRCLE,TILE,GROUND", {0, 1, 2, 3});
  return table;
}

const EnumNameTable& FramebufferLayerTable() {
  static const EnumNameTable table(
      "enum Renderer::FramebufferLayer",
      "Renderer::FramebufferLayer::DEFAULT_ONLY_FOR_USE_BY_RENDERER_I_WILL_FIND_AND_BERATE_YOU_IF_"
      "YOU_USE_THIS, Renderer::FramebufferLayer::SCENE, "
      "Renderer::FramebufferLayer::SCREENTONE_MASK, Renderer::FramebufferLayer::GAMEUI, "
      "Renderer::FramebufferLayer::MENUUI, Renderer::FramebufferLayer::FXAA",
      {0, 1, 5, 2, 3, 6});
  return table;
}

const EnumNameTable& ColliderLayerTable() {
  static const EnumNameTable table(
      "enum ColliderLayer",
      "ColliderLayer::DEFAULT, ColliderLayer::BULLET, ColliderLayer::PLAYER, "
      "ColliderLayer::ENEMY, ColliderLayer::PLAYER_DASHING, ColliderLayer::MEGA_BLOCK_ENEMY, "
      "ColliderLayer::PUSHER",
      {0, 1, 2, 3, 4, 5, 6});
  return table;
}

TEST(EnumNameTable, ParseMatchesTrimmedEntriesExactly) {
  struct Case {
    const EnumNameTable* table;
    const char* text;
    int expected;  // -1: no match
  };
  const Case cases[] = {
      {&ModeTable(), "ORTHO", 0},
      {&ModeTable(), "PERSPECTIVE", 1},
      {&ModeTable(), " ORTHO", -1},
      {&ModeTable(), "ortho", -1},
      {&ModeTable(), "ORTHO ", -1},
      {&ModeTable(), "ORTH", -1},
      {&ModeTable(), "", -1},
      {&ColliderTypeTable(), "AABB", 0},
      {&ColliderTypeTable(), "GROUND", 3},
      {&ColliderTypeTable(), "AABB ", -1},
      {&ColliderTypeTable(), "AABB,CIRCLE", -1},
      {&FramebufferLayerTable(), "Renderer::FramebufferLayer::SCREENTONE_MASK", 5},
      {&FramebufferLayerTable(), "Renderer::FramebufferLayer::GAMEUI", 2},
      {&FramebufferLayerTable(), "Renderer::FramebufferLayer::FXAA", 6},
      {&FramebufferLayerTable(), "FramebufferLayer::FXAA", -1},
      {&ColliderLayerTable(), "ColliderLayer::PLAYER", 2},
      {&ColliderLayerTable(), "PLAYER", -1},
      {&ColliderLayerTable(), "ColliderLayer::PLAYER_DASHING", 4},
  };
  for (const Case& testCase : cases) {
    if (testCase.expected >= 0) {
      EXPECT_EQ(testCase.table->Parse(testCase.text), testCase.expected) << testCase.text;
    } else {
      EXPECT_THROW(testCase.table->Parse(testCase.text), std::runtime_error)
          << "'" << testCase.text << "'";
    }
  }
}

TEST(EnumNameTable, ParseErrorNamesTheTextAndTheWholeList) {
  try {
    ModeTable().Parse("Orthographic");
    FAIL() << "no exception";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(),
                 "Invalid enum string: Orthographic. Valid values are: ORTHO, PERSPECTIVE");
  }
}

TEST(EnumNameTable, ValueNameGivesTheEntryOrNothing) {
  EXPECT_EQ(ModeTable().ValueName(1), "PERSPECTIVE");
  EXPECT_EQ(ColliderTypeTable().ValueName(2), "TILE");
  EXPECT_EQ(FramebufferLayerTable().ValueName(5), "Renderer::FramebufferLayer::SCREENTONE_MASK");
  EXPECT_EQ(FramebufferLayerTable().ValueName(2), "Renderer::FramebufferLayer::GAMEUI");
  EXPECT_TRUE(FramebufferLayerTable().ValueName(4).empty()) << "the list has no value 4";
  EXPECT_TRUE(ModeTable().ValueName(-1).empty());

  // Names are views into their own table: looking up another value leaves earlier ones intact.
  const std::string_view ortho = ModeTable().ValueName(0);
  const std::string_view perspective = ModeTable().ValueName(1);
  EXPECT_EQ(ortho, "ORTHO");
  EXPECT_EQ(perspective, "PERSPECTIVE");

  const EnumNameTable duplicate("enum Twice", "A, B, C", {7, 8, 7});
  EXPECT_EQ(duplicate.ValueName(7), "A") << "the first entry with the value";
}

TEST(EnumNameTable, MalformedDefinitionsAreRejected) {
  EXPECT_THROW(EnumNameTable("enum Short", "A, B", {0}), std::invalid_argument);
  EXPECT_THROW(EnumNameTable("enum Long", "A", {0, 1}), std::invalid_argument);
  EXPECT_THROW(EnumNameTable("enum Hole", "A,,B", {0, 1, 2}), std::invalid_argument);
  EXPECT_NO_THROW(EnumNameTable("enum Blanks", " A ,\tB\n", {0, 1}));
}

TEST(ReadEnumField, LogsTheValueTheListAndTheResult) {
  int field = 9;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  ReadEnumField(nlohmann::json("Renderer::FramebufferLayer::FXAA"), FramebufferLayerTable(), field);
  const std::string out = testing::internal::GetCapturedStdout();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(field, 6);
  EXPECT_EQ(out,
            "Deserializing enum Renderer::FramebufferLayer. JSON value: "
            "'Renderer::FramebufferLayer::FXAA'\n"
            "Valid enum values: '" +
                FramebufferLayerTable().NameList() +
                "'\n"
                "Successfully deserialized to: Renderer::FramebufferLayer::FXAA\n");
  EXPECT_EQ(err, "");
}

TEST(ReadEnumField, UnknownNameIsReportedRethrownAndLeavesTheField) {
  int field = 1;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_THROW(ReadEnumField(nlohmann::json("Orthographic"), ModeTable(), field),
               std::runtime_error);
  const std::string out = testing::internal::GetCapturedStdout();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(field, 1);
  EXPECT_EQ(out,
            "Deserializing enum Mode. JSON value: 'Orthographic'\n"
            "Valid enum values: 'ORTHO, PERSPECTIVE'\n");
  EXPECT_EQ(err,
            "Error deserializing enum Mode: Invalid enum string: Orthographic. Valid values are: "
            "ORTHO, PERSPECTIVE\n");
}

TEST(ReadEnumField, ValuesThatAreNotStringsFailWithTheLibraryTypeError) {
  struct Case {
    nlohmann::json value;
    const char* message;
  };
  const Case cases[] = {
      {nlohmann::json(0), "type must be string, but is number"},
      {nlohmann::json(nullptr), "type must be string, but is null"},
      {nlohmann::json::array({"ORTHO"}), "type must be string, but is array"},
  };
  for (const Case& testCase : cases) {
    int field = 1;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    try {
      ReadEnumField(testCase.value, ModeTable(), field);
      ADD_FAILURE() << "no exception for " << testCase.value.dump();
    } catch (const nlohmann::json::type_error& error) {
      EXPECT_EQ(error.id, 302);
      EXPECT_NE(std::string(error.what()).find(testCase.message), std::string::npos)
          << error.what();
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(field, 1);
  }
}

enum class ColliderLayer { DEFAULT, BULLET, PLAYER };
enum UnscopedMode { ORTHO, PERSPECTIVE };  // g++ gives this an unsigned underlying type

TEST(ReadEnumField, TypedWrapperStoresIntoRealEnums) {
  ColliderLayer layer = ColliderLayer::DEFAULT;
  UnscopedMode mode = ORTHO;
  testing::internal::CaptureStdout();
  ReadEnumField<ColliderLayer>(nlohmann::json("ColliderLayer::PLAYER"), ColliderLayerTable(),
                               layer);
  ReadEnumField(nlohmann::json("PERSPECTIVE"), ModeTable(), mode);
  testing::internal::CaptureStderr();
  EXPECT_THROW(ReadEnumField(nlohmann::json("PLAYER"), ColliderLayerTable(), layer),
               std::runtime_error);
  testing::internal::GetCapturedStderr();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(layer, ColliderLayer::PLAYER);
  EXPECT_EQ(mode, PERSPECTIVE);
}

}  // namespace
