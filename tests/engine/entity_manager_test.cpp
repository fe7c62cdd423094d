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

TEST(EntityManager, AFullTableIsReportedOncePerScene) {
  EntityManager entities;
  testing::internal::CaptureStdout();
  for (int i = 0; i < kMaxEntities; ++i) entities.CreateEntity("block");
  testing::internal::GetCapturedStdout();

  const auto refuse = [&entities](int times) {
    testing::internal::CaptureStdout();
    for (int i = 0; i < times; ++i) EXPECT_EQ(entities.CreateEntity("spawned"), kNoEntity);
    return testing::internal::GetCapturedStdout();
  };
  const std::string report =
      "EntityManager : no free entity id for 'spawned' (all 1024 in use); further entities are "
      "refused without a report until the next scene loads\n";
  EXPECT_EQ(refuse(1000), report);
  EXPECT_EQ(entities.RefusedCreations(), 1000);

  testing::internal::CaptureStdout();
  entities.StartNewScene();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "EntityManager : 999 more entities were refused for want of a free entity id\n");
  EXPECT_EQ(refuse(3), report) << "a new scene reports the first refusal again";
}

}  // namespace
