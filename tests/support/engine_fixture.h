#pragma once
// A fresh engine per test, driven by a clock the test moves by hand.
//
//   class MyTest : public testing_support::EngineFixture {};
//   TEST_F(MyTest, ...) { clock->Advance(0.01); decs->Update(); }

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/decs.h"
#include "engine/engine_clock.h"
#include "engine/entity_manager.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"

namespace testing_support {

class FakeClock final : public EngineClock {
 public:
  double Now() const override { return now; }
  void Advance(double seconds) { now += seconds; }
  double now = 1000.0;
};

class EngineFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    auto ownedClock = std::make_unique<FakeClock>();
    clock = ownedClock.get();
    decs = &DECS::CreateInstance(std::move(ownedClock));
    CreateManagers();
    systems = decs->GetManager<SystemManager>().get();
    entities = decs->GetManager<EntityManager>().get();
    messaging = decs->GetManager<MessagingManager>().get();
  }

  void TearDown() override {
    if (DECS::HasInstance()) DECS::Instance().Shutdown();
  }

  FakeClock* clock = nullptr;
  DECS* decs = nullptr;
  SystemManager* systems = nullptr;
  EntityManager* entities = nullptr;
  MessagingManager* messaging = nullptr;
};

// A receiver that appends "<name>:<message>" to a shared log for every message it handles.
class RecordingReceiver : public MessageReciever {
 public:
  RecordingReceiver(std::string name, int receiverLevel, std::vector<std::string>* log)
      : name(std::move(name)), log(log) {
    level = receiverLevel;
  }
  void HandleMessage(const std::string& message) override { log->push_back(name + ":" + message); }

  std::string name;
  std::vector<std::string>* log;
};

}  // namespace testing_support
