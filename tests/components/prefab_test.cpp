#include "components/prefab.h"

#include <gtest/gtest.h>

#include "components/transform.h"

namespace {

TEST(Prefab, IsNeverMarkedAsComingFromAPrefabFile) {
  Prefab prefab;
  Transform transform;
  BaseComponent* components[] = {&prefab, &transform};
  for (BaseComponent* component : components) component->SetFromPrefab(true);
  EXPECT_FALSE(prefab.fromPrefab);
  EXPECT_TRUE(transform.fromPrefab);
}

}  // namespace
