// Inline flow: words of text, inline boxes (span), inline-blocks and line breaks are placed in
// line boxes, wrapping at spaces. Lines are as tall as their strut (the container's font and
// line-height) and their items, aligned on a common baseline; text-align moves each line.

#include <algorithm>
#include <cctype>
#include <cmath>

#include "rml/core.h"
#include "rml/font_engine.h"
#include "rml/layout_engine.h"
#include "rml/string_utilities.h"

namespace Rml {
namespace {

struct Word {
  String text;
  bool space_before = false;
  bool space_after = false;
  bool break_after = false;  // a preserved newline
};

String TransformText(const String& text, Style::TextTransform transform) {
  switch (transform) {
    case Style::TextTransform::Uppercase:
      return StringUtilities::ToUpper(text);
    case Style::TextTransform::Lowercase:
      return StringUtilities::ToLower(text);
    case Style::TextTransform::Capitalize: {
      String out = text;
      bool start = true;
      for (char& c : out) {
        if (start && std::isalpha(static_cast<unsigned char>(c)))
          c = char(std::toupper(static_cast<unsigned char>(c)));
        start = std::isspace(static_cast<unsigned char>(c)) != 0;
      }
      return out;
    }
    case Style::TextTransform::None:
      break;
  }
  return text;
}

// Splits a text into the words the line breaker places. Collapsing white space turns runs of
// spaces into word boundaries; pre keeps them and breaks only at newlines.
void SplitWords(const String& raw, const ComputedValues& style, std::vector<Word>& words) {
  const String text = TransformText(raw, style.text_transform);
  using WS = Style::WhiteSpace;
  const bool preserve_spaces = style.white_space == WS::Pre || style.white_space == WS::Prewrap;
  const bool preserve_newlines = preserve_spaces || style.white_space == WS::Preline;
  if (preserve_spaces) {
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find('\n', start);
      const bool newline = end != String::npos;
      if (!newline) end = text.size();
      Word word;
      word.text = text.substr(start, end - start);
      std::erase(word.text, '\r');
      word.break_after = newline;
      if (!word.text.empty() || newline) words.push_back(std::move(word));
      start = end + 1;
    }
    return;
  }
  Word current;
  bool pending_space = false;
  for (char c : text) {
    if (c == '\n' && preserve_newlines) {
      if (!current.text.empty()) {
        words.push_back(std::move(current));
        current = Word();
      }
      Word line_break;
      line_break.break_after = true;
      words.push_back(line_break);
      pending_space = false;
      continue;
    }
    if (std::isspace(static_cast<unsigned char>(c))) {
      if (!current.text.empty()) {
        current.space_after = true;
        words.push_back(std::move(current));
        current = Word();
      }
      pending_space = true;
      continue;
    }
    if (current.text.empty()) {
      current.space_before = pending_space;
      pending_space = false;
    }
    current.text += c;
  }
  if (!current.text.empty()) words.push_back(std::move(current));
  if (pending_space && !words.empty()) words.back().space_after = true;
  if (pending_space && words.empty()) {
    Word space;
    space.space_before = true;
    words.push_back(space);  // white space alone: a possible space between neighbours
  }
}

enum class ItemKind { Word, Atomic, Open, Close, Break, OutOfFlow };

struct Item {
  ItemKind kind;
  Element* element;  // the text, inline box, atomic box or out-of-flow box
  String text;
  float width = 0.f;
  bool space_before = false;
  bool space_after = false;
};

struct Placed {
  size_t item;
  float x;
};

struct Line {
  std::vector<Placed> placed;
  float width = 0.f;
  float top = 0.f;
  float baseline = 0.f;
  float height = 0.f;
};

// The extent above and below the baseline of a line of text in an element's font.
void TextExtent(const Element& element, float& above, float& below) {
  const FontMetrics& metrics =
      GetFontEngineInterface() != nullptr
          ? GetFontEngineInterface()->GetFontMetrics(element.GetFontFaceHandle())
          : FontMetrics();
  const float content = metrics.ascent + metrics.descent;
  const float leading = element.GetComputedValues().line_height - content;
  above = metrics.ascent + leading * 0.5f;
  below = metrics.descent + leading * 0.5f;
}

}  // namespace

float LayoutEngine::TextIntrinsicWidth(const Element& text, bool min) const {
  if (text.parent_ == nullptr) return 0.f;
  std::vector<Word> words;
  SplitWords(text.text_, text.parent_->computed_, words);
  const float space = TextWidth(*text.parent_, " ");
  float widest = 0.f, line = 0.f;
  bool first = true;
  for (const Word& word : words) {
    const float width = TextWidth(*text.parent_, word.text);
    widest = std::fmax(widest, width);
    if (!first && word.space_before) line += space;
    line += width;
    first = false;
    if (word.space_after) line += space;
    if (word.break_after) {
      widest = std::fmax(widest, line);
      line = 0.f;
    }
  }
  const auto white_space = text.parent_->computed_.white_space;
  if (white_space == Style::WhiteSpace::Nowrap || white_space == Style::WhiteSpace::Pre)
    return std::fmax(widest, line);
  return min ? widest : std::fmax(widest, line);
}

// One run of inline content laid out in line boxes, in steps: collect the run's items (words,
// inline boxes opening and closing, atomic boxes, breaks), break them into lines, give each line
// its height and baseline, then place every item on its line.
struct InlineFlow {
  InlineFlow(LayoutEngine& engine, Element& container, Vector2f origin, float width)
      : engine(engine), container(container), origin(origin), width(width) {}
  // Lays out children [first, last) of the container; returns the height of the lines.
  float Run(int first, int last);

  // Collecting: the items of a child, descending into inline boxes.
  void Add(Element& child);
  void AddText(Element& text);
  void AddInlineBox(Element& box);
  // Breaking into lines.
  void BreakLines();
  // Inline box edges and out-of-flow boxes take their place on the current line.
  void PlaceMarker(size_t index);
  // A word or an atomic box goes on the current line, or starts a new one when it does not fit.
  void PlaceContent(size_t index);
  // Line heights and baselines, stacked from the top.
  void SizeLines();
  // The extent of a line's items above and below its baseline (at least the strut's); whether
  // anything on it takes room.
  bool LineExtent(const Line& line, float& above, float& below) const;
  // Placement.
  void PlaceLine(const Line& line);
  void PlaceAtomic(Element& box, const Line& line, float x);
  void OpenInlineBox(Element& box, const Line& line, float x);
  void CloseInlineBox(Element& box, float x);
  // The container's baseline: that of the last line that has a height.
  void SetBaseline();

  LayoutEngine& engine;
  Element& container;
  const Vector2f origin;
  const float width;
  std::vector<Item> items;
  std::vector<Line> lines;
  // Breaking state: a space waits between the last content and the next; the current line has
  // a word or an atomic box.
  bool pending_space = false;
  bool line_has_content = false;
  float strut_above = 0.f, strut_below = 0.f;
  FontMetrics container_metrics;
  float cursor = 0.f;
  bool any_content = false;
};

float InlineFlow::Run(int first, int last) {
  for (int i = first; i < last; ++i) Add(*container.children_[size_t(i)]);
  BreakLines();
  SizeLines();
  for (const Line& line : lines) PlaceLine(line);
  if (any_content) SetBaseline();
  return cursor;
}

void InlineFlow::Add(Element& child) {
  const ComputedValues& values = child.computed_;
  if (child.tag_ == "#text") {
    AddText(child);
    return;
  }
  if (values.display == Style::Display::None) return;
  if (values.IsOutOfFlow()) {
    items.push_back({ItemKind::OutOfFlow, &child, {}, 0.f, false, false});
    return;
  }
  if (child.tag_ == "br") {
    child.box_ = Box();
    items.push_back({ItemKind::Break, &child, {}, 0.f, false, false});
    return;
  }
  if (values.display == Style::Display::Inline && child.tag_ != "img") {
    AddInlineBox(child);
    return;
  }
  LayoutEngine::Input input;
  input.containing_width = width;
  input.shrink_to_fit = true;
  engine.FormatBox(child, input);
  items.push_back(
      {ItemKind::Atomic, &child, {}, child.box_.GetSize(BoxArea::Margin).x, false, false});
}

void InlineFlow::AddText(Element& text) {
  text.text_lines_.clear();
  text.relative_position_ = {0, 0};
  text.box_ = Box();
  std::vector<Word> words;
  SplitWords(text.text_, text.parent_->computed_, words);
  for (Word& word : words) {
    if (word.break_after && word.text.empty()) {
      items.push_back({ItemKind::Break, &text, {}, 0.f, false, false});
      continue;
    }
    Item item{ItemKind::Word,    &text,           std::move(word.text), 0.f,
              word.space_before, word.space_after};
    item.width = item.text.empty() ? 0.f : engine.TextWidth(*text.parent_, item.text);
    items.push_back(std::move(item));
    if (word.break_after) items.push_back({ItemKind::Break, &text, {}, 0.f, false, false});
  }
}

void InlineFlow::AddInlineBox(Element& box_element) {
  LayoutEngine::Input input;
  input.containing_width = width;
  engine.ResolveEdges(box_element, input);
  const Box& box = box_element.box_;
  items.push_back({ItemKind::Open,
                   &box_element,
                   {},
                   box.margin[kLeft] + box.border[kLeft] + box.padding[kLeft],
                   false,
                   false});
  for (auto& child : box_element.children_) Add(*child);
  items.push_back({ItemKind::Close,
                   &box_element,
                   {},
                   box.margin[kRight] + box.border[kRight] + box.padding[kRight],
                   false,
                   false});
}

void InlineFlow::BreakLines() {
  lines.assign(1, Line());
  for (size_t index = 0; index < items.size(); ++index) {
    switch (items[index].kind) {
      case ItemKind::Break:
        lines.back().placed.push_back({index, lines.back().width});
        lines.emplace_back();
        pending_space = false;
        line_has_content = false;
        break;
      case ItemKind::Open:
      case ItemKind::Close:
      case ItemKind::OutOfFlow:
        PlaceMarker(index);
        break;
      case ItemKind::Word:
      case ItemKind::Atomic:
        PlaceContent(index);
        break;
    }
  }
}

void InlineFlow::PlaceMarker(size_t index) {
  const Item& item = items[index];
  Line& line = lines.back();
  // A space before an inline box goes before its left edge.
  if (item.kind == ItemKind::Open && pending_space && line_has_content) {
    line.width += engine.TextWidth(*item.element->parent_, " ");
    pending_space = false;
  }
  line.placed.push_back({index, line.width});
  line.width += item.width;
}

void InlineFlow::PlaceContent(size_t index) {
  const Item& item = items[index];
  pending_space = pending_space || item.space_before;
  if (item.kind == ItemKind::Word && item.text.empty()) {
    pending_space = true;
    return;
  }
  const bool can_wrap = container.computed_.white_space != Style::WhiteSpace::Nowrap &&
                        container.computed_.white_space != Style::WhiteSpace::Pre;
  const Element& font_owner = item.kind == ItemKind::Word ? *item.element->parent_ : container;
  float space = pending_space && line_has_content ? engine.TextWidth(font_owner, " ") : 0.f;
  if (can_wrap && line_has_content && lines.back().width + space + item.width > width + 0.01f) {
    lines.emplace_back();
    space = 0.f;
  }
  Line& target = lines.back();
  target.placed.push_back({index, target.width + space});
  target.width += space + item.width;
  line_has_content = true;
  pending_space = item.space_after;
}

bool InlineFlow::LineExtent(const Line& line, float& above, float& below) const {
  bool has_content = false;
  above = strut_above;
  below = strut_below;
  for (const Placed& placed : line.placed) {
    const Item& item = items[placed.item];
    if (item.kind == ItemKind::Word) {
      float a = 0.f, b = 0.f;
      TextExtent(*item.element->parent_, a, b);
      above = std::fmax(above, a);
      below = std::fmax(below, b);
      has_content = true;
    } else if (item.kind == ItemKind::Atomic) {
      const Element& box = *item.element;
      const float height = box.box_.GetSize(BoxArea::Margin).y;
      float a;
      if (box.computed_.vertical_align == Style::VerticalAlign::Middle)
        a = height * 0.5f + container_metrics.x_height * 0.5f;
      else if (box.computed_.vertical_align == Style::VerticalAlign::Top)
        a = strut_above;
      else
        a = box.has_baseline_ ? box.box_.margin[kTop] + box.baseline_ : height;
      above = std::fmax(above, a);
      below = std::fmax(below, height - a);
      has_content = true;
    } else if (item.kind == ItemKind::Break || item.kind == ItemKind::Open) {
      has_content = true;
    }
  }
  return has_content;
}

void InlineFlow::SizeLines() {
  TextExtent(container, strut_above, strut_below);
  container_metrics = GetFontEngineInterface() != nullptr
                          ? GetFontEngineInterface()->GetFontMetrics(container.font_face_)
                          : FontMetrics();
  for (Line& line : lines) {
    float above = 0.f, below = 0.f;
    const bool has_content = LineExtent(line, above, below);
    // A line with nothing but white space or out-of-flow boxes takes no room.
    if (!has_content && &line == &lines.back() && line.placed.empty() && lines.size() > 1) {
      line.top = cursor;
      line.height = 0.f;
      line.baseline = cursor;
      continue;
    }
    if (!has_content) {
      line.top = cursor;
      line.baseline = cursor + above;
      line.height = 0.f;
      bool only_out_of_flow = true;
      for (const Placed& placed : line.placed)
        if (items[placed.item].kind != ItemKind::OutOfFlow) only_out_of_flow = false;
      if (only_out_of_flow) continue;
    }
    line.top = cursor;
    line.height = has_content ? above + below : 0.f;
    line.baseline = cursor + above;
    cursor += line.height;
    any_content = any_content || has_content;
  }
}

void InlineFlow::PlaceLine(const Line& line) {
  const Style::TextAlign align = container.computed_.text_align;
  float shift = 0.f;
  const float free_space = width - line.width;
  if (free_space > 0.f) {
    if (align == Style::TextAlign::Center) shift = free_space * 0.5f;
    if (align == Style::TextAlign::Right) shift = free_space;
  }
  // Neighbouring words of one text element on a line join into one text line.
  Element* current_text = nullptr;
  TextLine* current_line = nullptr;
  for (const Placed& placed : line.placed) {
    Item& item = items[placed.item];
    const float x = origin.x + shift + placed.x;
    switch (item.kind) {
      case ItemKind::Word: {
        Element& text = *item.element;
        if (current_text == &text && current_line != nullptr) {
          const float gap = x - (current_line->position.x + current_line->width);
          current_line->text += gap > 0.01f ? " " + item.text : item.text;
          current_line->width = x + item.width - current_line->position.x;
        } else {
          text.text_lines_.push_back({item.text, {x, origin.y + line.baseline}, item.width});
          current_text = &text;
          current_line = &text.text_lines_.back();
        }
        text.offset_parent_ = &container;
        break;
      }
      case ItemKind::Atomic:
        PlaceAtomic(*item.element, line, x);
        current_text = nullptr;
        break;
      case ItemKind::Open:
        OpenInlineBox(*item.element, line, x);
        current_text = nullptr;
        break;
      case ItemKind::Close:
        CloseInlineBox(*item.element, x);
        current_text = nullptr;
        break;
      case ItemKind::OutOfFlow:
        engine.AddOutOfFlow(*item.element, container, {x, origin.y + line.top});
        break;
      case ItemKind::Break:
        current_text = nullptr;
        break;
    }
  }
}

void InlineFlow::PlaceAtomic(Element& box, const Line& line, float x) {
  const float height = box.box_.GetSize(BoxArea::Margin).y;
  float top;
  if (box.computed_.vertical_align == Style::VerticalAlign::Middle)
    top = line.baseline - height * 0.5f - container_metrics.x_height * 0.5f;
  else if (box.computed_.vertical_align == Style::VerticalAlign::Top)
    top = line.top;
  else
    top = line.baseline - (box.has_baseline_ ? box.box_.margin[kTop] + box.baseline_ : height);
  box.relative_position_ =
      Vector2f{x + box.box_.margin[kLeft], origin.y + top + box.box_.margin[kTop]};
  box.offset_parent_ = &container;
  engine.ApplyRelativeOffset(box, width, -1.f);
}

void InlineFlow::OpenInlineBox(Element& box, const Line& line, float x) {
  // The inline box's border box spans from here to its Close on the last line it reaches.
  const FontMetrics& metrics = GetFontEngineInterface() != nullptr
                                   ? GetFontEngineInterface()->GetFontMetrics(box.font_face_)
                                   : FontMetrics();
  const float above = metrics.ascent;
  const float below = metrics.descent;
  box.relative_position_ = {
      x + box.box_.margin[kLeft],
      origin.y + line.baseline - above - box.box_.padding[kTop] - box.box_.border[kTop]};
  box.box_.content = {0.f, above + below};
  box.offset_parent_ = &container;
}

void InlineFlow::CloseInlineBox(Element& box, float x) {
  const float content_left =
      box.relative_position_.x + box.box_.border[kLeft] + box.box_.padding[kLeft];
  box.box_.content.x = std::fmax(0.f, x - content_left);
  engine.ApplyRelativeOffset(box, width, -1.f);
}

void InlineFlow::SetBaseline() {
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    if (it->height > 0.f) {
      container.baseline_ = origin.y + it->baseline;
      container.has_baseline_ = true;
      return;
    }
  }
}

float LayoutEngine::LayoutInline(Element& container, int first, int last, Vector2f origin,
                                 float width) {
  return InlineFlow(*this, container, origin, width).Run(first, last);
}

}  // namespace Rml
