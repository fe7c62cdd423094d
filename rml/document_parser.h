#pragma once
// Reading RML (XML) into element trees with pugixml. A malformed document is reported with its
// file, line and what is wrong, and whatever was read before the fault still loads. Nesting
// deeper than kMaxDepth, attribute values longer than kMaxAttributeLength and texts longer than
// kMaxTextLength are cut, with a log line.

#include "rml/element_document.h"

namespace Rml {

class DocumentParser {
 public:
  static constexpr int kMaxDepth = 128;
  static constexpr size_t kMaxAttributeLength = 64 * 1024;
  static constexpr size_t kMaxTextLength = 1024 * 1024;

  // Fills a new document from RML text; its head's links and styles build the style sheet.
  static void ParseDocument(ElementDocument& document, const String& rml);
  // Appends the elements of an RML fragment to parent.
  static void ParseFragment(Element& parent, const String& rml);
};

}  // namespace Rml
