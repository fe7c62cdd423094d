#include "components/tag_container.h"

#include <gtest/gtest.h>

namespace {

TEST(TagContainer, HasTagComparesExactly) {
  TagContainer tags;
  EXPECT_FALSE(tags.HasTag("")) << "an empty container has no tags";
  EXPECT_FALSE(tags.HasTag("UILayer"));

  tags._tags = {"UILayer", "GrassInteractable"};
  const struct {
    const char* tag;
    bool found;
  } cases[] = {
      {"UILayer", true}, {"GrassInteractable", true}, {"uilayer", false},
      {"UILaye", false}, {"UILayer ", false},         {"", false},
  };
  for (const auto& testCase : cases) {
    EXPECT_EQ(tags.HasTag(testCase.tag), testCase.found) << "'" << testCase.tag << "'";
  }
}

}  // namespace
