#include "rml/document_parser.h"

#include <algorithm>
#include <pugixml.hpp>

#include "rml/file_reader.h"
#include "rml/log.h"
#include "rml/string_utilities.h"

namespace Rml {
namespace {

constexpr unsigned kParseFlags =
    (pugi::parse_default & ~pugi::parse_escapes) | pugi::parse_ws_pcdata;

struct ParseState {
  const String& source;
  const String& text;
  int line_offset;  // lines added in front of the text (fragments are wrapped)
  ElementDocument* document;
  bool depth_reported = false;

  int LineOf(ptrdiff_t offset) const {
    if (offset < 0) return 0;
    const size_t end = std::min(size_t(offset), text.size());
    return int(std::count(text.begin(), text.begin() + long(end), '\n')) + 1 - line_offset;
  }
};

String Bounded(const String& text, size_t limit, const ParseState& state, ptrdiff_t offset,
               const char* what) {
  if (text.size() <= limit) return text;
  Log::Message(Log::LT_WARNING, "%s:%d: %s longer than %zu bytes is cut", state.source.c_str(),
               state.LineOf(offset), what, limit);
  return text.substr(0, limit);
}

String ReadAttribute(const pugi::xml_attribute& attribute, const pugi::xml_node& node,
                     const ParseState& state) {
  return Bounded(StringUtilities::DecodeRml(attribute.value()), DocumentParser::kMaxAttributeLength,
                 state, node.offset_debug(), "attribute value");
}

void AddChildren(Element& parent, const pugi::xml_node& node, ParseState& state, int depth);

void AddNode(Element& parent, const pugi::xml_node& node, ParseState& state, int depth) {
  if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
    auto text = std::make_unique<Element>("#text");
    text->SetText(Bounded(StringUtilities::DecodeRml(node.value()), DocumentParser::kMaxTextLength,
                          state, node.offset_debug(), "text"));
    parent.AppendChild(std::move(text));
    return;
  }
  if (node.type() != pugi::node_element) return;
  if (depth >= DocumentParser::kMaxDepth) {
    if (!state.depth_reported)
      Log::Message(Log::LT_WARNING, "%s:%d: elements nested deeper than %d are dropped",
                   state.source.c_str(), state.LineOf(node.offset_debug()),
                   DocumentParser::kMaxDepth);
    state.depth_reported = true;
    return;
  }
  const String tag = StringUtilities::ToLower(node.name());
  if (tag == "style" && state.document != nullptr) {
    state.document->AddStyleSheetText(node.child_value(), state.source,
                                      state.LineOf(node.offset_debug()));
    return;
  }
  auto element = std::make_unique<Element>(tag);
  // The style attribute is read once the element is in the document, so that its messages name
  // the document and the element; it is held empty until then to keep the attributes' order.
  pugi::xml_attribute style;
  for (const pugi::xml_attribute& attribute : node.attributes()) {
    if (String(attribute.name()) == "style") {
      style = attribute;
      element->SetAttribute("style", String());
      continue;
    }
    element->SetAttribute(attribute.name(), ReadAttribute(attribute, node, state));
  }
  Element* added = parent.AppendChild(std::move(element));
  if (style) added->SetAttribute("style", ReadAttribute(style, node, state));
  AddChildren(*added, node, state, depth + 1);
}

void AddChildren(Element& parent, const pugi::xml_node& node, ParseState& state, int depth) {
  for (const pugi::xml_node& child : node.children()) AddNode(parent, child, state, depth);
}

void ReportParseError(const pugi::xml_parse_result& result, const ParseState& state) {
  if (result) return;
  Log::Message(Log::LT_ERROR, "%s:%d: %s", state.source.c_str(), state.LineOf(result.offset),
               result.description());
}

}  // namespace

void DocumentParser::ParseDocument(ElementDocument& document, const String& rml) {
  ParseState state{document.GetSourceURL(), rml, 0, &document};
  pugi::xml_document xml;
  const pugi::xml_parse_result result = xml.load_buffer(rml.data(), rml.size(), kParseFlags);
  ReportParseError(result, state);
  // pugixml keeps what it read before an error, so a malformed document still shows that part.
  pugi::xml_node root = xml.child("rml");
  if (!root) root = xml;
  pugi::xml_node head = root.child("head");
  for (const pugi::xml_node& item : head.children()) {
    const String tag = StringUtilities::ToLower(item.name());
    if (tag == "title") {
      document.title_ = StringUtilities::DecodeRml(item.child_value());
    } else if (tag == "link") {
      const String type = item.attribute("type").value();
      const String href = item.attribute("href").value();
      if (href.empty() || (!type.empty() && type != "text/rcss" && type != "text/css")) continue;
      const String path = document.JoinPath(href);
      String sheet;
      String error;
      if (!ReadFileWhole(path, sheet, error)) {
        Log::Message(Log::LT_ERROR, "%s:%d: cannot read style sheet '%s': the file %s",
                     state.source.c_str(), state.LineOf(item.offset_debug()), path.c_str(),
                     error.c_str());
        continue;
      }
      document.AddStyleSheetText(sheet, path);
    } else if (tag == "style") {
      document.AddStyleSheetText(item.child_value(), state.source,
                                 state.LineOf(item.offset_debug()));
    }
  }
  pugi::xml_node body = root.child("body");
  if (body) {
    for (const pugi::xml_attribute& attribute : body.attributes())
      document.SetAttribute(attribute.name(), StringUtilities::DecodeRml(attribute.value()));
    AddChildren(document, body, state, 1);
  } else {
    for (const pugi::xml_node& child : root.children())
      if (StringUtilities::ToLower(child.name()) != "head") AddNode(document, child, state, 1);
  }
}

void DocumentParser::ParseFragment(Element& parent, const String& rml) {
  const String wrapped = "<fragment>" + rml + "</fragment>";
  ElementDocument* document = parent.GetOwnerDocument();
  const String source = document != nullptr ? document->GetSourceURL() : String("[fragment]");
  ParseState state{source, wrapped, 0, document};
  pugi::xml_document xml;
  const pugi::xml_parse_result result =
      xml.load_buffer(wrapped.data(), wrapped.size(), kParseFlags);
  ReportParseError(result, state);
  AddChildren(parent, xml.child("fragment"), state, 1);
}

}  // namespace Rml
