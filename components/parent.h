#pragma once
// Parent: names the entity this one belongs to, by alias.

#include <string>

#include "components/base_component.h"
#include "engine/type_name.h"

class Parent : public BaseComponent {
 public:
  std::string GetParentAlias() const { return _alias; }

  std::string _alias = "NULL";
};
DECLARE_TYPE_NAME(class, Parent);
