#include "rml/animation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "rml/context.h"
#include "rml/core.h"
#include "rml/element_document.h"
#include "rml/log.h"
#include "rml/string_utilities.h"
#include "rml/system_interface.h"

namespace Rml {

// One property of a running animation: its values at the keyframe positions. A key without a
// value of its own (a missing 0% or 100%) shows the base value.
struct AnimationTrack {
  PropertyId id;
  struct Key {
    float position;
    bool base;
    AnimatedValue value;
  };
  std::vector<Key> keys;
};

struct RunningAnimation {
  AnimationDeclaration declared;
  double start = 0.0;
  std::vector<AnimationTrack> tracks;
  bool finished = false;
};

struct RunningTransition {
  PropertyId id;
  AnimatedValue from, to;
  double start = 0.0;  // after the delay
  float duration = 0.f;
  TimingFunction timing = TimingFunction::Ease;
};

struct ElementAnimations {
  String animation_text;  // the "animation" value the running animations came from
  std::vector<RunningAnimation> animations;
  String transition_text;
  std::vector<TransitionDeclaration> transition_declarations;
  std::vector<RunningTransition> transitions;
};

void DestroyElementAnimations(ElementAnimations* animations) { delete animations; }

namespace {

constexpr PropertyId kAnimatable[] = {
    PropertyId::Opacity,
    PropertyId::Color,
    PropertyId::BackgroundColor,
    PropertyId::ImageColor,
    PropertyId::BorderTopColor,
    PropertyId::BorderRightColor,
    PropertyId::BorderBottomColor,
    PropertyId::BorderLeftColor,
    PropertyId::Top,
    PropertyId::Right,
    PropertyId::Bottom,
    PropertyId::Left,
    PropertyId::Width,
    PropertyId::Height,
    PropertyId::MarginTop,
    PropertyId::MarginRight,
    PropertyId::MarginBottom,
    PropertyId::MarginLeft,
    PropertyId::PaddingTop,
    PropertyId::PaddingRight,
    PropertyId::PaddingBottom,
    PropertyId::PaddingLeft,
    PropertyId::Transform,
};

// The host's clock; with no system interface installed time stands still at 0.
double Now() {
  SystemInterface* system = GetSystemInterface();
  return system != nullptr ? system->GetElapsedTime() : 0.0;
}

bool ParseTiming(const String& word, TimingFunction& timing) {
  static const std::pair<const char*, TimingFunction> kNames[] = {
      {"linear", TimingFunction::Linear},
      {"ease", TimingFunction::Ease},
      {"ease-in", TimingFunction::EaseIn},
      {"ease-out", TimingFunction::EaseOut},
      {"ease-in-out", TimingFunction::EaseInOut}};
  for (const auto& [name, value] : kNames)
    if (word == name) return (timing = value, true);
  return false;
}

// A time in seconds ("2s", "250ms"); false for anything else.
bool ParseTime(const String& word, float& seconds) {
  Property property;
  if (!ParseLength(word, property) || property.unit != Unit::S) return false;
  seconds = property.number;
  return true;
}

bool ParseCount(const String& word, float& count) {
  if (word == "infinite") return (count = std::numeric_limits<float>::infinity(), true);
  Property property;
  if (!ParseLength(word, property) || property.unit != Unit::Number) return false;
  count = property.number;
  return true;
}

// A word of an animation or transition that is a time (the duration first, then the delay) or
// a timing function: Read, or NotTimed for other words, or Bad (with error) for a third time or
// a negative duration.
enum class Timed { Read, NotTimed, Bad };
Timed ReadTimed(const String& word, int& times, float& duration, float& delay,
                TimingFunction& timing, String& error) {
  float seconds = 0.f;
  if (ParseTiming(word, timing)) return Timed::Read;
  if (!ParseTime(word, seconds)) return Timed::NotTimed;
  if (times >= 2 || (times == 0 && seconds < 0.f)) {
    error = "unexpected time '" + word + "'";
    return Timed::Bad;
  }
  (times++ == 0 ? duration : delay) = seconds;
  return Timed::Read;
}

// Splits a comma-separated list into the words of each item.
std::vector<StringList> SplitItems(std::string_view text) {
  StringList items;
  StringUtilities::ExpandString(items, String(text), ',');
  std::vector<StringList> words(items.size());
  for (size_t i = 0; i < items.size(); ++i) StringUtilities::SplitValues(words[i], items[i]);
  return words;
}

bool IsNone(std::string_view text) {
  const String trimmed = StringUtilities::ToLower(StringUtilities::Trim(String(text)));
  return trimmed.empty() || trimmed == "none";
}

Colourb MixColour(Colourb a, Colourb b, float t) {
  auto mix = [t](byte x, byte y) {
    return byte(std::clamp(std::lround(float(x) + (float(y) - float(x)) * t), 0l, 255l));
  };
  return {mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue), mix(a.alpha, b.alpha)};
}

// The cubic Bézier timing curve through (0, 0), (x1, y1), (x2, y2), (1, 1) at x = t.
float Bezier(float x1, float y1, float x2, float y2, float t) {
  auto curve = [](float a, float b, float s) {
    const float u = 1.f - s;
    return 3.f * u * u * s * a + 3.f * u * s * s * b + s * s * s;
  };
  // Bisection on x: the curve is monotonic in x for the standard timings.
  float low = 0.f, high = 1.f, s = t;
  for (int i = 0; i < 30; ++i) {
    s = 0.5f * (low + high);
    if (curve(x1, x2, s) < t)
      low = s;
    else
      high = s;
  }
  return curve(y1, y2, s);
}

// The value of a track at progress p (0..1) of one iteration, with the base value for keys
// that have none.
AnimatedValue EvaluateTrack(const AnimationTrack& track, float progress, const AnimatedValue& base,
                            TimingFunction timing) {
  const auto& keys = track.keys;
  size_t next = 1;
  while (next + 1 < keys.size() && keys[next].position < progress) ++next;
  const AnimationTrack::Key& a = keys[next - 1];
  const AnimationTrack::Key& b = keys[next];
  const float span = b.position - a.position;
  const float local = span > 0.f ? std::clamp((progress - a.position) / span, 0.f, 1.f) : 1.f;
  return InterpolateValue(a.base ? base : a.value, b.base ? base : b.value,
                          ApplyTiming(timing, local));
}

// The computed value of one keyframe declaration for this element: the declaration computed on
// its own, with the element's font size and colour for relative units and currentcolor.
// `scratch` receives the computed values.
bool ResolveDeclaration(const Declaration& declaration, const ComputedValues& base,
                        const ComputedValues* parent, const UnitContext& units,
                        ComputedValues& scratch, AnimatedValue& value) {
  std::array<const Property*, kPropertyCount> specified{};
  Property font_size;
  font_size.unit = Unit::Px;
  font_size.number = base.font_size;
  Property colour;
  colour.unit = Unit::Colour;
  colour.colour = base.color;
  specified[size_t(PropertyId::FontSize)] = &font_size;
  specified[size_t(PropertyId::Color)] = &colour;
  specified[size_t(declaration.id)] = &declaration.value;
  ComputeValues(scratch, specified.data(), parent, units);
  return ReadAnimatable(scratch, declaration.id, value);
}

void StartAnimations(Element& element, ElementAnimations& state, const ComputedValues& base,
                     const ComputedValues* parent, const UnitContext& units,
                     ComputedValues& scratch, double now) {
  state.animations.clear();
  std::vector<AnimationDeclaration> declarations;
  String error;
  ParseAnimationList(state.animation_text, declarations, error);  // checked when it was declared
  const ElementDocument* document = element.GetOwnerDocument();
  for (const AnimationDeclaration& declared : declarations) {
    const KeyframesRule* rule =
        document != nullptr ? document->GetStyleSheet().FindKeyframes(declared.name) : nullptr;
    if (rule == nullptr) {
      Log::MessageOnce(Log::LT_WARNING, "%s: animation '%s' of %s names no @keyframes",
                       document != nullptr ? document->GetSourceURL().c_str() : "[no document]",
                       declared.name.c_str(), element.GetAddress(false, false).c_str());
      continue;
    }
    RunningAnimation running{declared, now, {}, false};
    for (const Keyframe& keyframe : rule->keyframes) {
      for (const Declaration& declaration : keyframe.declarations) {
        AnimatedValue value;
        if (!IsAnimatable(declaration.id) ||
            !ResolveDeclaration(declaration, base, parent, units, scratch, value))
          continue;
        auto track = std::find_if(running.tracks.begin(), running.tracks.end(),
                                  [&](const AnimationTrack& t) { return t.id == declaration.id; });
        if (track == running.tracks.end())
          track = running.tracks.insert(running.tracks.end(), {declaration.id, {}});
        track->keys.push_back({keyframe.position, false, value});
      }
    }
    for (AnimationTrack& track : running.tracks) {
      if (track.keys.front().position > 0.f) track.keys.insert(track.keys.begin(), {0.f, true, {}});
      if (track.keys.back().position < 1.f) track.keys.push_back({1.f, true, {}});
    }
    state.animations.push_back(std::move(running));
  }
}

bool AnimationControls(const ElementAnimations& state, PropertyId id) {
  for (const RunningAnimation& animation : state.animations)
    for (const AnimationTrack& track : animation.tracks)
      if (track.id == id) return true;
  return false;
}

void StartTransitions(ElementAnimations& state, const ComputedValues& base,
                      const ComputedValues& previous, double now) {
  auto consider = [&](PropertyId id, const TransitionDeclaration& declared) {
    AnimatedValue target, shown;
    if (!ReadAnimatable(base, id, target) || !ReadAnimatable(previous, id, shown)) return;
    auto running = std::find_if(state.transitions.begin(), state.transitions.end(),
                                [&](const RunningTransition& t) { return t.id == id; });
    const AnimatedValue& reference = running != state.transitions.end() ? running->to : shown;
    if (target == reference || AnimationControls(state, id)) return;
    if (running != state.transitions.end()) state.transitions.erase(running);
    if (declared.duration <= 0.f) return;
    state.transitions.push_back(
        {id, shown, target, now + double(declared.delay), declared.duration, declared.timing});
  };
  for (const TransitionDeclaration& declared : state.transition_declarations) {
    if (!declared.all) {
      consider(declared.id, declared);
      continue;
    }
    for (PropertyId id : kAnimatable) consider(id, declared);
  }
}

// Writes the values of one animation at now (or nothing, outside its fill); marks it finished
// once its last iteration has ended.
void ApplyAnimation(RunningAnimation& animation, ComputedValues& values, const ComputedValues& base,
                    double now) {
  const AnimationDeclaration& declared = animation.declared;
  const double elapsed = now - animation.start - double(declared.delay);
  float progress = 0.f;
  bool write = true;
  if (elapsed < 0.0) {
    write = declared.fill_backwards;
  } else {
    const double total = double(declared.duration) * double(declared.iterations);
    // A zero duration or count ends at once; infinite counts never end (unless the duration is 0).
    if (declared.duration <= 0.f || declared.iterations <= 0.f || elapsed >= total) {
      animation.finished = true;
      write = declared.fill_forwards;
      // Where the last iteration ended: a whole count ends at 100%, 2.5 at the middle.
      const float iterations = std::isfinite(declared.iterations) ? declared.iterations : 1.f;
      const float last = std::max(0.f, std::ceil(iterations) - 1.f);
      progress = iterations > 0.f ? iterations - last : 0.f;
      if (declared.alternate && std::fmod(last, 2.f) == 1.f) progress = 1.f - progress;
    } else {
      const double iteration = std::floor(elapsed / double(declared.duration));
      progress = float(elapsed / double(declared.duration) - iteration);
      if (declared.alternate && std::fmod(iteration, 2.0) == 1.0) progress = 1.f - progress;
    }
  }
  if (!write) return;
  for (const AnimationTrack& track : animation.tracks) {
    AnimatedValue base_value;
    ReadAnimatable(base, track.id, base_value);
    WriteAnimatable(values, track.id, EvaluateTrack(track, progress, base_value, declared.timing));
  }
}

}  // namespace

bool IsAnimatable(PropertyId id) {
  return std::find(std::begin(kAnimatable), std::end(kAnimatable), id) != std::end(kAnimatable);
}

bool ReadAnimatable(const ComputedValues& values, PropertyId id, AnimatedValue& value) {
  const int index = int(id);
  switch (id) {
    case PropertyId::Opacity:
      value.kind = AnimatedValue::Number;
      value.number = values.opacity;
      return true;
    case PropertyId::Color:
      value.kind = AnimatedValue::Colour;
      value.colour = values.color;
      return true;
    case PropertyId::BackgroundColor:
      value.kind = AnimatedValue::Colour;
      value.colour = values.background_color;
      return true;
    case PropertyId::ImageColor:
      value.kind = AnimatedValue::Colour;
      value.colour = values.image_color;
      return true;
    case PropertyId::BorderTopColor:
    case PropertyId::BorderRightColor:
    case PropertyId::BorderBottomColor:
    case PropertyId::BorderLeftColor:
      value.kind = AnimatedValue::Colour;
      value.colour = values.border_colour[index - int(PropertyId::BorderTopColor)];
      return true;
    case PropertyId::Top:
      value.kind = AnimatedValue::Length;
      value.length = values.top;
      return true;
    case PropertyId::Right:
      value.kind = AnimatedValue::Length;
      value.length = values.right;
      return true;
    case PropertyId::Bottom:
      value.kind = AnimatedValue::Length;
      value.length = values.bottom;
      return true;
    case PropertyId::Left:
      value.kind = AnimatedValue::Length;
      value.length = values.left;
      return true;
    case PropertyId::Width:
      value.kind = AnimatedValue::Length;
      value.length = values.width;
      return true;
    case PropertyId::Height:
      value.kind = AnimatedValue::Length;
      value.length = values.height;
      return true;
    case PropertyId::MarginTop:
    case PropertyId::MarginRight:
    case PropertyId::MarginBottom:
    case PropertyId::MarginLeft:
      value.kind = AnimatedValue::Length;
      value.length = values.margin[index - int(PropertyId::MarginTop)];
      return true;
    case PropertyId::PaddingTop:
    case PropertyId::PaddingRight:
    case PropertyId::PaddingBottom:
    case PropertyId::PaddingLeft:
      value.kind = AnimatedValue::Length;
      value.length = values.padding[index - int(PropertyId::PaddingTop)];
      return true;
    case PropertyId::Transform:
      value.kind = AnimatedValue::Transform;
      value.transform = values.transform;
      return true;
    default:
      return false;
  }
}

void WriteAnimatable(ComputedValues& values, PropertyId id, const AnimatedValue& value) {
  const int index = int(id);
  switch (id) {
    case PropertyId::Opacity:
      values.opacity = std::clamp(value.number, 0.f, 1.f);
      break;
    case PropertyId::Color:
      values.color = value.colour;
      break;
    case PropertyId::BackgroundColor:
      values.background_color = value.colour;
      break;
    case PropertyId::ImageColor:
      values.image_color = value.colour;
      break;
    case PropertyId::BorderTopColor:
    case PropertyId::BorderRightColor:
    case PropertyId::BorderBottomColor:
    case PropertyId::BorderLeftColor:
      values.border_colour[index - int(PropertyId::BorderTopColor)] = value.colour;
      break;
    case PropertyId::Top:
      values.top = value.length;
      break;
    case PropertyId::Right:
      values.right = value.length;
      break;
    case PropertyId::Bottom:
      values.bottom = value.length;
      break;
    case PropertyId::Left:
      values.left = value.length;
      break;
    case PropertyId::Width:
      values.width = value.length;
      break;
    case PropertyId::Height:
      values.height = value.length;
      break;
    case PropertyId::MarginTop:
    case PropertyId::MarginRight:
    case PropertyId::MarginBottom:
    case PropertyId::MarginLeft:
      values.margin[index - int(PropertyId::MarginTop)] = value.length;
      break;
    case PropertyId::PaddingTop:
    case PropertyId::PaddingRight:
    case PropertyId::PaddingBottom:
    case PropertyId::PaddingLeft:
      values.padding[index - int(PropertyId::PaddingTop)] = value.length;
      if (value.length.value < 0.f) values.padding[index - int(PropertyId::PaddingTop)].value = 0.f;
      break;
    case PropertyId::Transform:
      values.transform = value.transform;
      break;
    default:
      break;
  }
}

AnimatedValue InterpolateValue(const AnimatedValue& from, const AnimatedValue& to, float t) {
  if (!std::isfinite(t)) t = 1.f;
  AnimatedValue result = to;
  switch (to.kind) {
    case AnimatedValue::Number:
      result.number = from.number + (to.number - from.number) * t;
      break;
    case AnimatedValue::Colour:
      result.colour = MixColour(from.colour, to.colour, std::clamp(t, 0.f, 1.f));
      break;
    case AnimatedValue::Length:
      if (from.length.type == to.length.type &&
          (to.length.type == Style::LengthPercentageAuto::Length ||
           to.length.type == Style::LengthPercentageAuto::Percentage))
        result.length.value = from.length.value + (to.length.value - from.length.value) * t;
      else if (t < 0.5f)
        result.length = from.length;
      break;
    case AnimatedValue::Transform:
      result.transform = InterpolateTransform(from.transform, to.transform, t);
      break;
  }
  return result;
}

float ApplyTiming(TimingFunction timing, float t) {
  t = std::clamp(t, 0.f, 1.f);
  switch (timing) {
    case TimingFunction::Linear:
      return t;
    case TimingFunction::Ease:
      return Bezier(0.25f, 0.1f, 0.25f, 1.f, t);
    case TimingFunction::EaseIn:
      return Bezier(0.42f, 0.f, 1.f, 1.f, t);
    case TimingFunction::EaseOut:
      return Bezier(0.f, 0.f, 0.58f, 1.f, t);
    case TimingFunction::EaseInOut:
      return Bezier(0.42f, 0.f, 0.58f, 1.f, t);
  }
  return t;
}

bool ParseAnimationList(std::string_view text, std::vector<AnimationDeclaration>& list,
                        String& error) {
  list.clear();
  if (IsNone(text)) return true;
  for (const StringList& words : SplitItems(text)) {
    AnimationDeclaration declared;
    int times = 0;
    bool named = false;
    for (const String& written : words) {
      // Keywords in any case; the name as written, as @keyframes names are matched exactly.
      const String word = StringUtilities::ToLower(written);
      float number = 0.f;
      const Timed timed =
          ReadTimed(word, times, declared.duration, declared.delay, declared.timing, error);
      if (timed == Timed::Bad) return false;
      if (timed == Timed::Read) {
      } else if (ParseCount(word, number)) {
        if (!(number >= 0.f)) return (error = "negative iteration count '" + word + "'", false);
        declared.iterations = number;
      } else if (word == "alternate") {
        declared.alternate = true;
      } else if (word == "normal" || word == "none") {
      } else if (word == "forwards" || word == "backwards" || word == "both") {
        declared.fill_forwards = word != "backwards";
        declared.fill_backwards = word != "forwards";
      } else if (!named) {
        declared.name = written;
        named = true;
      } else {
        return (error = "unexpected word '" + word + "' after the name '" + declared.name + "'",
                false);
      }
    }
    if (!named) return (error = "an animation needs a name", false);
    list.push_back(std::move(declared));
  }
  return true;
}

bool ParseTransitionList(std::string_view text, std::vector<TransitionDeclaration>& list,
                         String& error) {
  list.clear();
  if (IsNone(text)) return true;
  for (const StringList& words : SplitItems(text)) {
    TransitionDeclaration declared;
    int times = 0;
    bool named = false;
    for (const String& written : words) {
      const String word = StringUtilities::ToLower(written);
      const Timed timed =
          ReadTimed(word, times, declared.duration, declared.delay, declared.timing, error);
      if (timed == Timed::Bad) return false;
      if (timed == Timed::Read) {
      } else if (!named && word == "all") {
        declared.all = named = true;
      } else if (!named && FindPropertyId(word, declared.id) && IsAnimatable(declared.id)) {
        named = true;
      } else {
        return (error = "'" + word + "' is not an animatable property, a time or a timing function",
                false);
      }
    }
    if (!named) return (error = "a transition needs a property", false);
    list.push_back(declared);
  }
  return true;
}

bool UpdateAnimations(Element& element, const ComputedValues& previous, bool first_style,
                      const ComputedValues* parent, const UnitContext& units,
                      AnimationScratch& scratch) {
  ComputedValues& values = element.computed_;
  ElementAnimations* state = element.animations_;
  const bool animated = values.animation != "none" && !values.animation.empty();
  const bool transitioned = values.transition != "none" && !values.transition.empty();
  if (state == nullptr) {
    if (!animated && !transitioned) return false;
    state = element.animations_ = new ElementAnimations;
  }
  const double now = Now();
  // The base values, before anything animated is written over them.
  ComputedValues& base = scratch.base;
  base = values;

  if (state->animation_text != values.animation) {
    state->animation_text = values.animation;
    StartAnimations(element, *state, base, parent, units, scratch.keyframe, now);
  }
  if (state->transition_text != values.transition) {
    state->transition_text = values.transition;
    String error;
    ParseTransitionList(values.transition, state->transition_declarations, error);
  }
  if (!first_style) StartTransitions(*state, base, previous, now);

  bool running = false;
  std::erase_if(state->transitions, [&](const RunningTransition& transition) {
    const double t = (now - transition.start) / double(transition.duration);
    if (t >= 1.0) return true;
    running = true;
    const float eased = ApplyTiming(transition.timing, float(std::max(0.0, t)));
    WriteAnimatable(values, transition.id, InterpolateValue(transition.from, transition.to, eased));
    return false;
  });
  for (RunningAnimation& animation : state->animations) {
    ApplyAnimation(animation, values, base, now);
    running = running || !animation.finished;
  }
  return running;
}

}  // namespace Rml
