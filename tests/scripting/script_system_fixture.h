#pragma once
// An engine with its components and a registered LuaScriptSystem whose scripts folder is a
// temporary one. Scripts record what they do with Log(text); Destroy(id), Queue(message, id)
// and Post(message) reach the engine, so tests need no API of the game.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "components/component_registration.h"
#include "components/lua_script_container.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "scripting/lua_script_system.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_folder.h"

namespace testing_support {

class ScriptSystemFixture : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    ::testing::internal::CaptureStdout();
    RegisterAllComponents();
    components = decs->GetManager<ComponentManager>().get();
    for (const char* module : {"lua_utilities.lua", "lua_physics.lua", "lua_playerdata.lua"}) {
      Write(module, "return { name = '" + std::string(module) + "' }");
    }
    system = systems->RegisterSystem<LuaScriptSystem>(folder.path.string() + "/", limits);
    ::testing::internal::GetCapturedStdout();
    decs->SetEntityScriptEraser(system.get());
    system->lua.SetFunction("Log", [this](std::string text) { log.push_back(text); });
    system->lua.SetFunction("Destroy", [this](int entity) { decs->DestroyEntity(entity); });
    system->lua.SetFunction("Queue", [this](std::string message, int entity) {
      system->QueueDelayedCall(message, entity);
    });
    system->lua.SetFunction("Post", [this](std::string message) {
      messaging->PostFormatted("%s", 0, message.c_str());
    });
  }

  std::string Write(const std::string& file, const std::string& source) {
    const std::string path = (folder.path / file).string();
    std::ofstream(path, std::ios::binary) << source;
    return path;
  }

  // A named entity with a Transform and the given "name file" script entries, in the system's
  // set.
  int Spawn(const std::string& name, const std::vector<std::string>& scripts) {
    ::testing::internal::CaptureStdout();
    const int entity = entities->CreateEntity(name);
    LuaScriptContainer container;
    container.pathPrefix = folder.path.string() + "/";
    container._scriptList = scripts;
    container.BuildScriptMap();
    components->AddComponent(entity, Transform{});
    components->AddComponent(entity, container);
    entities->AddToSignature<Transform>(entity);
    entities->AddToSignature<LuaScriptContainer>(entity);
    systems->EntitySignatureChanged(entity, entities->signaturesById[entity]);
    ::testing::internal::GetCapturedStdout();
    return entity;
  }

  // Runs one update of the script system; returns what it printed.
  std::string Step(float dt = 0.5f) {
    ::testing::internal::CaptureStdout();
    system->Update(dt);
    return ::testing::internal::GetCapturedStdout();
  }

  // Posts a message to every receiver; returns what was printed meanwhile.
  std::string Send(const std::string& message) {
    ::testing::internal::CaptureStdout();
    messaging->PostFormatted("%s", 0, message.c_str());
    return ::testing::internal::GetCapturedStdout();
  }

  std::vector<std::string> TakeLog() { return std::exchange(log, {}); }

  TempFolder folder;
  // The limits the system's Lua state is made with; a derived fixture may change them before
  // SetUp.
  lua::Limits limits = GameScriptLimits();
  ComponentManager* components = nullptr;
  std::shared_ptr<LuaScriptSystem> system;
  std::vector<std::string> log;
};

}  // namespace testing_support
