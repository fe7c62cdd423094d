#pragma once
// BaseSystem: the base of every system. A system is registered once with the SystemManager,
// which calls Init at once; DECS then calls Update (dt already scaled by the time scale) on every
// fixed update and Render on every rendered frame, and Shutdown once at the end.
//
// `entities` holds the entities whose components cover the system's signature. Walk it with
// ForEachEntity: it walks a snapshot and skips entities destroyed during the walk.

#include <set>
#include <string>
#include <vector>

#include "engine/message_receiver.h"

class BaseSystem : public MessageReciever {
 public:
  BaseSystem() { level = 1; }

  void HandleMessage(const std::string&) override {}
  virtual void Init() {}
  virtual void Update(float dt) { (void)dt; }
  virtual void Render() {}
  virtual void Shutdown() {}

  // The names of the links this system needs from others that nobody has filled. The
  // composition root (app/system_wiring.h) fills links once every system is registered and
  // reports each name still listed, so a missing link shows at start-up instead of leaving the
  // system quietly doing nothing.
  virtual std::vector<std::string> MissingLinks() const { return {}; }

  // Calls `visit(entity)` for every entity in the set at the time of the call that is still in
  // the set when its turn comes.
  template <typename Visitor>
  void ForEachEntity(Visitor&& visit) {
    const std::vector<int> snapshot(entities.begin(), entities.end());
    for (int entity : snapshot) {
      if (entities.contains(entity)) visit(entity);
    }
  }

  std::set<int> entities;
  // Skipped in the update while DECS is frozen.
  bool freezable = true;
  // Skipped in the update while DECS is paused (the pause menu is open).
  bool pausable = true;
};
