#pragma once
// SpriteText: a short text drawn with the sprite font, anchored by two words.

#include <string>
#include <utility>

#include "components/base_component.h"
#include "engine/type_name.h"

class SpriteText : public BaseComponent {
 public:
  // The horizontal and vertical anchor words, in that order.
  std::pair<std::string, std::string> GetAnchors() const { return {_anchorX, _anchorY}; }

  std::string _text = "Hello World!";
  std::string _anchorX = "center";
  std::string _anchorY = "center";
};
DECLARE_TYPE_NAME(class, SpriteText);
