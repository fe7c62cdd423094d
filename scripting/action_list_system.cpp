#include "scripting/action_list_system.h"

#include "engine/decs.h"
#include "engine/system_manager.h"

void ActionListSystem::Init() {
  // Actions such as the scene fade go on while the pause menu is open.
  pausable = false;
  DECS::Instance().GetManager<SystemManager>()->SetSignature(TypeName<ActionListSystem>(), {});
}
