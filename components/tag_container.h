#pragma once
// TagContainer: free-form tags that systems look for ("UILayer", "GrassInteractable", ...).

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "components/base_component.h"
#include "engine/type_name.h"

class TagContainer : public BaseComponent {
 public:
  // True when some tag equals `tag` exactly (case and length).
  bool HasTag(std::string_view tag) const {
    return std::find(_tags.begin(), _tags.end(), tag) != _tags.end();
  }

  std::vector<std::string> _tags;
};
DECLARE_TYPE_NAME(class, TagContainer);
