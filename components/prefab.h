#pragma once
// Prefab: names the prefab file an entity takes its missing components from.

#include <string>

#include "components/base_component.h"
#include "engine/type_name.h"

class Prefab : public BaseComponent {
 public:
  // A Prefab component always belongs to the entity's own record, never to a prefab file, so
  // it is never marked as coming from one.
  void SetFromPrefab(bool /*value*/) override {}

  std::string _prefabAlias;
};
DECLARE_TYPE_NAME(class, Prefab);
