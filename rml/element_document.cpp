#include "rml/element_document.h"

#include "rml/context.h"
#include "rml/core.h"
#include "rml/system_interface.h"

namespace Rml {

ElementDocument::ElementDocument(Context* context) : Element("body") {
  context_ = context;
  owner_document_ = this;
  attached_ = context != nullptr;
  shown_ = false;
  style_sheet_.Merge(GetDefaultStyleSheet());
}

ElementDocument::~ElementDocument() = default;

void ElementDocument::Show(ModalFlag, FocusFlag focus_flag) {
  if (shown_) return;
  shown_ = true;
  DirtyLayout();
  DispatchEvent("show", {});
  if (focus_flag != FocusFlag::None && focus_flag != FocusFlag::Keep && context_ != nullptr &&
      context_->GetFocusElement() == nullptr)
    context_->SetFocus(this);
}

void ElementDocument::Hide() {
  if (!shown_) return;
  shown_ = false;
  DirtyLayout();
  DispatchEvent("hide", {});
  if (context_ != nullptr) context_->OnElementDetached(this);
}

void ElementDocument::Close() {
  if (context_ != nullptr) context_->UnloadDocument(this);
}

ElementPtr ElementDocument::CreateElement(const String& name) {
  auto element = std::make_unique<Element>(name);
  element->owner_document_ = this;
  return element;
}

void ElementDocument::AddStyleSheetText(const String& text, const String& source, int first_line) {
  StyleSheet sheet;
  sheet.Parse(text, source, first_line);
  style_sheet_.Merge(sheet);
  DirtyStyle();
}

String ElementDocument::JoinPath(const String& path) const {
  return JoinDocumentPath(source_url_, path);
}

}  // namespace Rml
