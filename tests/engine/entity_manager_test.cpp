#include "engine/entity_manager.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(EntityManager, NamesAreMadeUniqueAndIdsReusedLowestFirst) {
  EntityManager entities;
  testing::internal::CaptureStdout();
  EXPECT_EQ(entities.CreateEntity("Enemy"), 0);
  EXPECT_EQ(entities.CreateEntity("Enemy"), 1);
  EXPECT_EQ(entities.CreateEntity("Enemy"), 2);
  EXPECT_EQ(entities.GetName(0), "Enemy");
  EXPECT_EQ(entities.GetName(1), "Enemy'");
  EXPECT_EQ(entities.GetName(2), "Enemy''");
  EXPECT_EQ(entities.entityCount, 3);

  entities.DestroyEntity(1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "EntityManager : Entity with id '1' destroyed\n");
  EXPECT_EQ(entities.FindEntity("Enemy'"), kNoEntity);
  EXPECT_EQ(entities.entityCount, 2);

  // The freed id and the freed name are both handed out again.
  EXPECT_EQ(entities.CreateEntity("Enemy"), 1);
  EXPECT_EQ(entities.GetName(1), "Enemy'");
}

TEST(EntityManager, DestroyingAnIdThatIsNotAliveChangesNothing) {
  EntityManager entities;
  entities.CreateEntity("player");
  testing::internal::CaptureStdout();
  for (int id : {1, 5, 1023, -1, 1024, 50000}) entities.DestroyEntity(id);
  entities.DestroyEntity(0);
  entities.DestroyEntity(0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "EntityManager : Entity with id '0' destroyed\n");
  EXPECT_EQ(entities.entityCount, 0);
  EXPECT_TRUE(entities.namesById.empty());
  EXPECT_TRUE(entities.signaturesById.empty());
}

TEST(EntityManager, FullManagerReturnsNoEntityAndRecordsNothing) {
  EntityManager entities;
  testing::internal::CaptureStdout();
  for (int i = 0; i < kMaxEntities; ++i) {
    ASSERT_EQ(entities.CreateEntity("block " + std::to_string(i)), i);
  }
  EXPECT_EQ(entities.CreateEntity("one too many"), kNoEntity);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(entities.entityCount, kMaxEntities);
  EXPECT_EQ(entities.FindEntity("one too many"), kNoEntity);
  EXPECT_FALSE(entities.namesById.contains(kNoEntity));
  EXPECT_FALSE(entities.signaturesById.contains(kNoEntity));
}

}  // namespace
