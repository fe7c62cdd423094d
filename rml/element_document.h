#pragma once
// ElementDocument: the body of a loaded RML document, the root of its element tree. It holds the
// document's source URL (exactly as given to LoadDocument), its title and its style sheet (the
// default sheet, then linked and inline sheets in document order). A loaded document starts
// hidden.

#include "rml/element.h"
#include "rml/style_sheet.h"

namespace Rml {

class ElementDocument : public Element {
 public:
  explicit ElementDocument(Context* context);
  ~ElementDocument() override;

  const String& GetSourceURL() const { return source_url_; }
  const String& GetTitle() const { return title_; }
  void Show(ModalFlag modal_flag = ModalFlag::None, FocusFlag focus_flag = FocusFlag::Auto);
  void Hide();
  // Removes the document from its context at once; it is freed after the next Update.
  void Close();

  ElementPtr CreateElement(const String& name);

  const StyleSheet& GetStyleSheet() const { return style_sheet_; }
  // Adds RCSS text to the document's sheet (a <style> block, or at run time) and restyles.
  void AddStyleSheetText(const String& text, const String& source, int first_line = 1);
  // Resolves a path written in this document (JoinPath of the system interface).
  String JoinPath(const String& path) const;

 private:
  friend class Context;
  friend class DocumentParser;
  friend class Element;
  friend class StyleEngine;

  String source_url_;
  String title_;
  StyleSheet style_sheet_;
  bool layout_dirty_ = true;
  bool paint_dirty_ = false;  // some element needs new geometry, but no layout
  bool closed_ = false;
};

}  // namespace Rml
