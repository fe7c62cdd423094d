#pragma once
// SceneIdentifier: the scene that created the entity; unloading that scene destroys it.

#include <string>

#include "components/base_component.h"
#include "engine/type_name.h"

class SceneIdentifier : public BaseComponent {
 public:
  std::string _sceneName;
};
DECLARE_TYPE_NAME(class, SceneIdentifier);
