#include "rml/style_sheet.h"

#include <algorithm>

#include "rml/log.h"
#include "rml/string_utilities.h"

namespace Rml {
namespace {

// Line numbers of offsets into a text, counted on from the offset asked before: offsets asked
// in increasing order cost one pass over the text in all, however many rules it holds.
class LineCounter {
 public:
  LineCounter(std::string_view text, int first_line) : text_(text), line_(first_line) {}
  int LineOf(size_t offset) {
    offset = std::min(offset, text_.size());
    if (offset >= position_)
      line_ += int(std::count(text_.begin() + long(position_), text_.begin() + long(offset), '\n'));
    else
      line_ -= int(std::count(text_.begin() + long(offset), text_.begin() + long(position_), '\n'));
    position_ = offset;
    return line_;
  }

 private:
  std::string_view text_;
  size_t position_ = 0;
  int line_;
};

// Strips /* comments */, keeping the newlines inside them so line numbers stay right.
String StripComments(std::string_view text) {
  String out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      const size_t end = text.find("*/", i + 2);
      const size_t stop = end == std::string_view::npos ? text.size() : end + 2;
      for (size_t j = i; j < stop; ++j)
        if (text[j] == '\n') out += '\n';
      i = stop - 1;
      continue;
    }
    out += text[i];
  }
  return out;
}

// The index just past the '}' matching the '{' at open, or npos.
size_t FindBlockEnd(const String& text, size_t open) {
  int depth = 0;
  char quote = 0;
  for (size_t i = open; i < text.size(); ++i) {
    const char c = text[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '{') {
      ++depth;
    } else if (c == '}' && --depth == 0) {
      return i + 1;
    }
  }
  return String::npos;
}

}  // namespace

void ParseDeclarationBlock(std::string_view text, const String& source, int line,
                           DeclarationList& out) {
  LineCounter lines(text, line);
  size_t start = 0;
  while (start < text.size()) {
    // Split at ';' outside quotes and parentheses.
    size_t end = start;
    char quote = 0;
    int depth = 0;
    for (; end < text.size(); ++end) {
      const char c = text[end];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '(') {
        ++depth;
      } else if (c == ')') {
        depth = std::max(0, depth - 1);
      } else if (c == ';' && depth == 0) {
        break;
      }
    }
    const std::string_view item = text.substr(start, end - start);
    const size_t first_char = std::min(text.find_first_not_of(" \t\r\n", start), end);
    const int item_line = lines.LineOf(first_char);
    start = end + 1;
    if (StringUtilities::Trim(String(item)).empty()) continue;
    const size_t colon = item.find(':');
    const auto where = [&] { return line > 0 ? source + ":" + std::to_string(item_line) : source; };
    if (colon == std::string_view::npos) {
      Log::Message(Log::LT_WARNING, "%s: declaration '%s' has no ':'", where().c_str(),
                   StringUtilities::Trim(String(item)).c_str());
      continue;
    }
    String value = StringUtilities::Trim(String(item.substr(colon + 1)));
    bool important = false;
    const size_t bang = value.rfind('!');
    if (bang != String::npos &&
        StringUtilities::ToLower(StringUtilities::Trim(value.substr(bang + 1))) == "important") {
      important = true;
      value = StringUtilities::Trim(value.substr(0, bang));
    }
    String error;
    if (!ParseDeclaration(item.substr(0, colon), value, important, out, error))
      Log::MessageOnce(Log::LT_WARNING, "%s: %s", where().c_str(), error.c_str());
  }
}

void StyleSheet::Parse(std::string_view input, const String& source, int first_line) {
  const String text = StripComments(input);
  LineCounter lines(text, first_line);
  size_t position = 0;
  while (position < text.size()) {
    const size_t open = text.find_first_of("{}", position);
    if (open != String::npos && text[open] == '}') {
      Log::Message(Log::LT_WARNING, "%s:%d: unexpected '}'", source.c_str(), lines.LineOf(open));
      position = open + 1;
      continue;
    }
    if (open == String::npos) {
      if (!StringUtilities::Trim(text.substr(position)).empty())
        Log::Message(Log::LT_WARNING, "%s:%d: text without a rule block", source.c_str(),
                     lines.LineOf(text.find_first_not_of(" \t\r\n", position)));
      break;
    }
    const String prelude = StringUtilities::Trim(text.substr(position, open - position));
    const int line = lines.LineOf(text.find_first_not_of(" \t\r\n", position));
    const int body_line = lines.LineOf(open);
    const size_t end = FindBlockEnd(text, open);
    if (end == String::npos) {
      Log::Message(Log::LT_WARNING, "%s:%d: block of '%s' is never closed", source.c_str(), line,
                   prelude.c_str());
      break;
    }
    position = end;
    if (!prelude.empty() && prelude[0] == '@') {
      StringList words;
      StringUtilities::SplitValues(words, prelude);
      if (StringUtilities::ToLower(words[0]) == "@keyframes") {
        if (words.size() == 2)
          ParseKeyframes(words[1], std::string_view(text.data() + open + 1, end - open - 2), source,
                         body_line);
        else
          Log::Message(Log::LT_WARNING, "%s:%d: @keyframes needs one name", source.c_str(), line);
      } else if (StringUtilities::ToLower(words[0]) == "@spritesheet") {
        if (words.size() == 2)
          ParseSpritesheet(words[1], std::string_view(text.data() + open + 1, end - open - 2),
                           source, body_line);
        else
          Log::Message(Log::LT_WARNING, "%s:%d: @spritesheet needs one name", source.c_str(), line);
      }
      continue;
    }
    const std::string_view body(text.data() + open + 1, end - open - 2);
    DeclarationList declarations;
    ParseDeclarationBlock(body, source, body_line, declarations);
    StringList selectors;
    StringUtilities::ExpandString(selectors, prelude, ',');
    if (selectors.empty())
      Log::Message(Log::LT_WARNING, "%s:%d: rule without a selector", source.c_str(), line);
    for (const String& selector_text : selectors) {
      StyleRule rule;
      String error;
      if (!ParseSelector(selector_text, rule.selector, error)) {
        Log::Message(Log::LT_WARNING, "%s:%d: selector '%s': %s", source.c_str(), line,
                     selector_text.c_str(), error.c_str());
        continue;
      }
      rule.order = next_order_++;
      rule.declarations = declarations;
      pseudo_classes_used_ |= rule.selector.AllPseudoClasses();
      rules_.push_back(std::move(rule));
    }
  }
}

void StyleSheet::ParseKeyframes(const String& name, std::string_view body, const String& source,
                                int first_line) {
  KeyframesRule rule{name, {}};
  const String text(body);
  LineCounter lines(text, first_line);
  size_t position = 0;
  while (position < text.size()) {
    const size_t open = text.find('{', position);
    if (open == String::npos) break;
    const String prelude = StringUtilities::Trim(text.substr(position, open - position));
    const int line = lines.LineOf(open);
    const size_t end = FindBlockEnd(text, open);
    if (end == String::npos) {
      Log::Message(Log::LT_WARNING, "%s:%d: keyframe '%s' is never closed", source.c_str(), line,
                   prelude.c_str());
      break;
    }
    position = end;
    DeclarationList declarations;
    ParseDeclarationBlock(std::string_view(text.data() + open + 1, end - open - 2), source, line,
                          declarations);
    StringList selectors;
    StringUtilities::ExpandString(selectors, prelude, ',');
    for (const String& selector : selectors) {
      const String lower = StringUtilities::ToLower(selector);
      Property percent;
      float at = -1.f;
      if (lower == "from")
        at = 0.f;
      else if (lower == "to")
        at = 1.f;
      else if (ParseLength(lower, percent) && percent.unit == Unit::Percent &&
               percent.number >= 0.f && percent.number <= 100.f)
        at = percent.number * 0.01f;
      if (at < 0.f) {
        Log::Message(Log::LT_WARNING,
                     "%s:%d: keyframe selector '%s' of '%s' is not from, to or a percentage",
                     source.c_str(), line, selector.c_str(), name.c_str());
        continue;
      }
      rule.keyframes.push_back({at, declarations});
    }
  }
  std::stable_sort(rule.keyframes.begin(), rule.keyframes.end(),
                   [](const Keyframe& a, const Keyframe& b) { return a.position < b.position; });
  keyframes_[name] = std::move(rule);
}

void StyleSheet::ParseSpritesheet(const String& name, std::string_view body, const String& source,
                                  int first_line) {
  auto sheet = std::make_shared<Spritesheet>();
  sheet->name = name;
  std::vector<std::pair<String, Rectanglef>> rectangles;
  String image;
  // Declarations split at ';' outside brackets, with their lines, as in rule blocks.
  LineCounter lines(body, first_line);
  size_t start = 0;
  while (start < body.size()) {
    size_t end = body.find(';', start);
    if (end == std::string_view::npos) end = body.size();
    const String item = StringUtilities::Trim(String(body.substr(start, end - start)));
    const size_t first = std::min(body.find_first_not_of(" \t\r\n", start), end);
    const int line = lines.LineOf(first);
    start = end + 1;
    if (item.empty()) continue;
    const size_t colon = item.find(':');
    const String key = StringUtilities::ToLower(
        StringUtilities::Trim(item.substr(0, std::min(colon, item.size()))));
    const String value =
        colon == String::npos ? String() : StringUtilities::Trim(item.substr(colon + 1));
    if (key == "src") {
      image = value;
      continue;
    }
    if (key == "resolution") {
      Property scale;
      const bool read = value.size() > 1 && value.back() == 'x' &&
                        ParseLength(value.substr(0, value.size() - 1), scale) &&
                        scale.unit == Unit::Number && scale.number > 0.f;
      if (read)
        sheet->display_scale = 1.f / scale.number;
      else
        Log::Message(Log::LT_WARNING, "%s:%d: resolution '%s' of @spritesheet %s is not like 2x",
                     source.c_str(), line, value.c_str(), name.c_str());
      continue;
    }
    StringList numbers;
    StringUtilities::SplitValues(numbers, value);
    float rectangle[4] = {0, 0, 0, 0};
    bool read = colon != String::npos && numbers.size() == 4;
    for (size_t i = 0; read && i < 4; ++i) {
      Property length;
      read = ParseLength(numbers[i], length) &&
             (length.unit == Unit::Px || (length.unit == Unit::Number && length.number == 0.f)) &&
             (i < 2 || length.number >= 0.f);
      rectangle[i] = length.number;
    }
    if (!read) {
      Log::Message(Log::LT_WARNING,
                   "%s:%d: sprite '%s' of @spritesheet %s needs 'name: x y width height' in px",
                   source.c_str(), line, item.c_str(), name.c_str());
      continue;
    }
    rectangles.push_back(
        {key, Rectanglef{{rectangle[0], rectangle[1]}, {rectangle[2], rectangle[3]}}});
  }
  if (image.empty()) {
    Log::Message(Log::LT_WARNING, "%s:%d: @spritesheet %s has no src", source.c_str(), first_line,
                 name.c_str());
    return;
  }
  sheet->texture_source = TextureSource(image, source);
  spritesheets_.push_back(sheet);
  for (const auto& named : rectangles) AddSprite(named.first, Sprite{named.second, sheet.get()});
}

void StyleSheet::AddSprite(const String& name, const Sprite& sprite) {
  sprites_.insert_or_assign(name, sprite);
}

const Sprite* StyleSheet::FindSprite(const String& name) const {
  const auto found = sprites_.find(name);
  return found != sprites_.end() ? &found->second : nullptr;
}

const KeyframesRule* StyleSheet::FindKeyframes(const String& name) const {
  const auto found = keyframes_.find(name);
  return found != keyframes_.end() ? &found->second : nullptr;
}

void StyleSheet::Merge(const StyleSheet& other) {
  spritesheets_.insert(spritesheets_.end(), other.spritesheets_.begin(), other.spritesheets_.end());
  for (const auto& [name, sprite] : other.sprites_) AddSprite(name, sprite);
  for (const auto& [name, rule] : other.keyframes_) keyframes_[name] = rule;
  for (const StyleRule& rule : other.rules_) {
    rules_.push_back(rule);
    rules_.back().order = next_order_++;
  }
  pseudo_classes_used_ |= other.pseudo_classes_used_;
}

const StyleSheet& GetDefaultStyleSheet() {
  static const StyleSheet sheet = [] {
    StyleSheet built;
    built.Parse(R"(
      body, div, p, h1, h2, h3, form { display: block; }
      head, title, link, style, script { display: none; }
      p { margin-top: 1em; margin-bottom: 1em; }
      h1 { font-size: 2em; font-weight: bold; margin-top: 0.67em; margin-bottom: 0.67em; }
      h2 { font-size: 1.5em; font-weight: bold; margin-top: 0.83em; margin-bottom: 0.83em; }
      h3 { font-size: 1.17em; font-weight: bold; margin-top: 1em; margin-bottom: 1em; }
      img, input, select, button { display: inline-block; }
      table { display: table; }
      tr { display: table-row; }
      td, th { display: table-cell; vertical-align: middle; }
      tbody, thead { display: table-row-group; }
    )",
                "default style sheet");
    return built;
  }();
  return sheet;
}

}  // namespace Rml
