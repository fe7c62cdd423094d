#include "rml/string_utilities.h"

#include <cctype>
#include <cstdlib>

namespace Rml::StringUtilities {

String Trim(const String& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

String ToLower(String text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

String ToUpper(String text) {
  for (char& c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

void ExpandString(StringList& out, const String& text, char delimiter) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(delimiter, start);
    if (end == String::npos) end = text.size();
    String part = Trim(text.substr(start, end - start));
    if (!part.empty()) out.push_back(std::move(part));
    start = end + 1;
  }
}

void SplitOutsideBrackets(StringList& out, const String& text, char delimiter) {
  String current;
  int depth = 0;
  char quote = 0;
  for (char c : text) {
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && depth > 0) {
      --depth;
    } else if (c == delimiter && depth == 0) {
      out.push_back(Trim(current));
      current.clear();
      continue;
    }
    current += c;
  }
  out.push_back(Trim(current));
}

void SplitValues(StringList& out, const String& text) {
  String current;
  int depth = 0;
  char quote = 0;
  for (char c : text) {
    if (quote != 0) {
      current += c;
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && depth > 0) {
      --depth;
    } else if (depth == 0 && std::isspace(static_cast<unsigned char>(c))) {
      if (!current.empty()) out.push_back(std::move(current));
      current.clear();
      continue;
    }
    current += c;
  }
  if (!current.empty()) out.push_back(std::move(current));
}

void AppendUtf8(String& out, char32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x110000) {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

char32_t NextCodePoint(const String& text, size_t& position) {
  const auto lead = static_cast<unsigned char>(text[position++]);
  if (lead < 0x80) return lead;
  int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
  if (extra < 0) return 0xFFFD;
  char32_t cp = lead & (0x3F >> extra);
  for (int i = 0; i < extra; ++i) {
    if (position >= text.size()) return 0xFFFD;
    const auto next = static_cast<unsigned char>(text[position]);
    if ((next & 0xC0) != 0x80) return 0xFFFD;
    cp = (cp << 6) | (next & 0x3F);
    ++position;
  }
  return cp;
}

String DecodeRml(const String& text) {
  if (text.find('&') == String::npos) return text;
  static const struct {
    const char* name;
    char32_t code_point;
  } kEntities[] = {{"lt", '<'},    {"gt", '>'},    {"amp", '&'},  {"quot", '"'},
                   {"apos", '\''}, {"nbsp", 0xA0}, {"copy", 0xA9}};
  String out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      out += text[i];
      continue;
    }
    const size_t semicolon = text.find(';', i);
    if (semicolon == String::npos || semicolon - i > 10) {
      out += text[i];
      continue;
    }
    const String name = text.substr(i + 1, semicolon - i - 1);
    bool decoded = false;
    if (name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x' || name[1] == 'X';
      char* end = nullptr;
      const char* digits = name.c_str() + (hex ? 2 : 1);
      const unsigned long value = std::strtoul(digits, &end, hex ? 16 : 10);
      if (end != digits && *end == '\0' && value > 0 && value < 0x110000) {
        AppendUtf8(out, char32_t(value));
        decoded = true;
      }
    } else {
      for (const auto& entity : kEntities) {
        if (name == entity.name) {
          AppendUtf8(out, entity.code_point);
          decoded = true;
          break;
        }
      }
    }
    if (decoded)
      i = semicolon;
    else
      out += text[i];
  }
  return out;
}

String EncodeRml(const String& text) {
  String out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace Rml::StringUtilities
