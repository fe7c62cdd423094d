#pragma once
// Keyframe animations and transitions. Both change an element's computed values over time, after
// the cascade: the style engine computes the cascaded ("base") values, then UpdateAnimations
// writes the animated values over them. Time is the system interface's GetElapsedTime, read once
// per restyle, so a host (or a test) that drives that clock drives every animation exactly.
//
//   animation:  name duration [delay] [timing] [count|infinite] [alternate]
//   [forwards|backwards|both]
//               in any order (the first time is the duration, the second the delay); a comma
//               separates several animations. The keyframes come from the document's
//               "@keyframes name" block, resolved when the animation starts.
//   transition: property|all duration [delay] [timing], comma-separated; started when a restyle
//               changes the base value of a listed property, from the value shown until then.
//   timing:     linear, ease (the default), ease-in, ease-out, ease-in-out.
//
// Animatable: opacity, the colours (color, background-color, image-color, border colours), the
// lengths top, right, bottom, left, width, height, margins and paddings, and transform. Two
// lengths of different kinds (px and %, or auto) and transform lists of different shapes switch
// halfway instead of blending. While an element animates it asks its context for a restyle on
// every update; a finished animation with fill forwards keeps its last value.

#include "rml/computed_values.h"

namespace Rml {

class Element;

struct AnimatedValue {
  enum Kind : std::uint8_t { Number, Colour, Length, Transform };
  Kind kind = Number;
  float number = 0.f;
  Colourb colour;
  Style::LengthPercentageAuto length;
  TransformList transform;
  bool operator==(const AnimatedValue&) const = default;
};

bool IsAnimatable(PropertyId id);
// The computed value of an animatable property; false for any other property.
bool ReadAnimatable(const ComputedValues& values, PropertyId id, AnimatedValue& value);
void WriteAnimatable(ComputedValues& values, PropertyId id, const AnimatedValue& value);
// The value between from and to at t (0..1; beyond, for overshooting timings, colours and
// opacity are clamped).
AnimatedValue InterpolateValue(const AnimatedValue& from, const AnimatedValue& to, float t);

enum class TimingFunction : std::uint8_t { Linear, Ease, EaseIn, EaseOut, EaseInOut };
// The eased progress at t (0..1).
float ApplyTiming(TimingFunction timing, float t);

struct AnimationDeclaration {
  String name;
  float duration = 0.f;  // seconds
  float delay = 0.f;
  TimingFunction timing = TimingFunction::Ease;
  float iterations = 1.f;  // infinity for "infinite"
  bool alternate = false;
  bool fill_forwards = false;
  bool fill_backwards = false;
};
// Parses an "animation" value ("none" gives an empty list). False with a reason for anything
// malformed: an unknown word after the name, a negative duration or count, a missing name.
bool ParseAnimationList(std::string_view text, std::vector<AnimationDeclaration>& list,
                        String& error);

struct TransitionDeclaration {
  bool all = false;
  PropertyId id = PropertyId::Opacity;
  float duration = 0.f;
  float delay = 0.f;
  TimingFunction timing = TimingFunction::Ease;
};
// Parses a "transition" value ("none" gives an empty list). False for an unknown or
// non-animatable property, a negative duration or an unknown word.
bool ParseTransitionList(std::string_view text, std::vector<TransitionDeclaration>& list,
                         String& error);

// The animations and transitions running on one element.
struct ElementAnimations;
void DestroyElementAnimations(ElementAnimations* animations);

// Values UpdateAnimations reuses from one call to the next, so that a steady restyle allocates
// nothing. The caller (the style engine) keeps one per restyle under way.
struct AnimationScratch {
  ComputedValues base;      // the cascaded values, before animated ones are written over them
  ComputedValues keyframe;  // one keyframe declaration computed for the element
};

// Runs after the cascade set element's computed values to their base values: starts animations
// whose "animation" value changed and transitions whose property's base value changed (against
// previous, the values shown until now; not on the element's first style), then writes the
// animated values over the computed ones. parent and units are those the values were computed
// with. Returns true while something still changes with time.
bool UpdateAnimations(Element& element, const ComputedValues& previous, bool first_style,
                      const ComputedValues* parent, const UnitContext& units,
                      AnimationScratch& scratch);

}  // namespace Rml
