#pragma once
// StyleSheet: the rules of one or more RCSS texts, in source order. A malformed rule or
// declaration is reported (file, line, what is wrong) and skipped; the rest of the sheet loads.
// "@keyframes name { from {...} 50% {...} to {...} }" is read into a named list of keyframes (a
// later block of the same name replaces an earlier one). "@spritesheet name { src: image;
// [resolution: 2x;] sprite-name: x y width height; ... }" names rectangles (in px) of an image,
// its path relative to the sheet's file; a later sprite of the same name replaces an earlier
// one. Other at-rules are skipped whole.

#include <string_view>
#include <unordered_map>

#include "rml/property.h"
#include "rml/render_manager.h"
#include "rml/selector.h"

namespace Rml {

struct StyleRule {
  Selector selector;
  int order = 0;  // source order across every sheet merged into the same StyleSheet
  DeclarationList declarations;
};

// One step of a keyframe animation: where it lies (0..1) and what it declares.
struct Keyframe {
  float position = 0.f;
  DeclarationList declarations;
};

struct KeyframesRule {
  String name;
  std::vector<Keyframe> keyframes;  // by position
};

class StyleSheet {
 public:
  // Parses text and appends its rules. source names the file in messages; first_line is the
  // line of the text's first character in that file (for <style> blocks inside documents).
  void Parse(std::string_view text, const String& source, int first_line = 1);
  // Appends the rules of another sheet after this one's.
  void Merge(const StyleSheet& other);
  const std::vector<StyleRule>& GetRules() const { return rules_; }
  // The keyframes of that name, or null.
  const KeyframesRule* FindKeyframes(const String& name) const;
  // The sprite of that name, or null.
  const Sprite* FindSprite(const String& name) const;
  // Every pseudo-class named by any selector: changing one of the others needs no restyle.
  std::uint8_t GetPseudoClassesUsed() const { return pseudo_classes_used_; }

 private:
  void ParseKeyframes(const String& name, std::string_view body, const String& source,
                      int first_line);

  std::vector<StyleRule> rules_;
  void ParseSpritesheet(const String& name, std::string_view body, const String& source,
                        int first_line);
  // Adds a sprite, replacing one of the same name.
  void AddSprite(const String& name, const Sprite& sprite);

  // By name: a later block or sprite of a name replaces the earlier one.
  std::unordered_map<String, KeyframesRule> keyframes_;
  // Sheets are shared so the sprites' pointers to them survive merging into other sheets.
  std::vector<std::shared_ptr<const Spritesheet>> spritesheets_;
  std::unordered_map<String, Sprite> sprites_;
  int next_order_ = 0;
  std::uint8_t pseudo_classes_used_ = 0;
};

// Parses the declarations of a style attribute or block ("a: b; c: d"), reporting failures
// with source and line ("source:line: ..."; "source: ..." when line is 0, not known).
void ParseDeclarationBlock(std::string_view text, const String& source, int line,
                           DeclarationList& out);

// The style every document starts from (display of each tag, heading sizes...).
const StyleSheet& GetDefaultStyleSheet();

}  // namespace Rml
