#include "ui/rml_event_handler.h"

#include <string_view>

#include "components/rml_document.h"
#include "engine/decs.h"
#include "engine/message_text.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"
#include "rml/rml.h"

namespace {

// The callable "rml_register_handler" stores: posts its message to every receiver, as it is.
class PostMessageHandler {
 public:
  explicit PostMessageHandler(std::string text) : message(std::move(text)) {}
  void operator()(Rml::Event&) const {
    if (!DECS::HasInstance()) return;
    if (auto messaging = DECS::Instance().GetManager<MessagingManager>()) {
      messaging->PostFormatted("%s", 0, message.c_str());
    }
  }

 private:
  std::string message;
};

}  // namespace

RMLEventHandler::~RMLEventHandler() {
  // RemoveEventListener calls OnDetach, which edits `attachments`: walk a copy.
  const auto attached = attachments;
  for (const auto& [element, attachment] : attached) {
    for (const std::string& type : attachment.types) element->RemoveEventListener(type, this);
  }
}

void RMLEventHandler::Init() {
  if (auto systems = DECS::Instance().GetManager<SystemManager>()) {
    systems->SetSignature(TypeName<RMLEventHandler>(), {std::string(TypeName<RMLDocument>())});
  }
}

void RMLEventHandler::Shutdown() { handlers.clear(); }

void RMLEventHandler::HandleMessage(const std::string& message) {
  if (IsMessage(message, "rml_register_handler")) {
    std::string id;
    std::string type;
    std::string text;
    if (!ParseMessageArguments(message, id, type, text)) return;
    RegisterHandler(id, type, PostMessageHandler(text));
    AttachInDocuments(id, &type);
  } else if (IsMessage(message, "rml_attach_handlers")) {
    AttachHandlers();
  }
}

void RMLEventHandler::RegisterHandler(const std::string& id, const std::string& type,
                                      Callable callable) {
  if (!callable) return;
  handlers[id][type] = std::make_shared<const Callable>(std::move(callable));
}

bool RMLEventHandler::HasHandler(const std::string& id, const std::string& type) const {
  const auto byId = handlers.find(id);
  return byId != handlers.end() && byId->second.contains(type);
}

void RMLEventHandler::AddRmlEventListener(RMLEventHandler* handler, Rml::Element* element,
                                          const std::string& id, const std::string& type) {
  if (handler == nullptr || element == nullptr) return;
  if (Rml::Element* target = element->GetElementById(id)) handler->Attach(target, type);
}

void RMLEventHandler::Attach(Rml::Element* element, const std::string& type) {
  attachments[element].types.insert(type);
  element->AddEventListener(type, this, /*in_capture_phase=*/false);
  // AddEventListener counted the entry through OnAttach, unless it was there already.
}

void RMLEventHandler::AttachHandlers() {
  // A copy of the ids: nothing attached here may change the registry, but stay safe anyway.
  std::vector<std::string> ids;
  ids.reserve(handlers.size());
  for (const auto& [id, types] : handlers) ids.push_back(id);
  for (const std::string& id : ids) AttachInDocuments(id, nullptr);
}

void RMLEventHandler::AttachInDocuments(const std::string& id, const std::string* onlyType) {
  Rml::Context* context = links.context ? links.context() : nullptr;
  if (context == nullptr) return;
  for (int index = 0; index < context->GetNumDocuments(); ++index) {
    Rml::ElementDocument* document = context->GetDocument(index);
    Rml::Element* element = document != nullptr ? document->GetElementById(id) : nullptr;
    if (element == nullptr) continue;
    if (onlyType != nullptr) {
      Attach(element, *onlyType);
      continue;
    }
    const auto byId = handlers.find(id);
    if (byId == handlers.end()) return;
    std::vector<std::string> types;
    for (const auto& [type, callable] : byId->second) types.push_back(type);
    for (const std::string& type : types) Attach(element, type);
  }
}

void RMLEventHandler::ProcessEvent(Rml::Event& event) {
  Rml::Element* target = event.GetTargetElement();
  if (target == nullptr) return;
  // Once per event: at the target itself, not again at each listened element it bubbles to.
  if (event.GetCurrentElement() != target) return;
  Rml::ElementDocument* document = target->GetOwnerDocument();
  if (document == nullptr || !document->IsVisible()) return;
  const auto byId = handlers.find(target->GetId());
  if (byId == handlers.end()) return;
  const auto byType = byId->second.find(event.GetType());
  if (byType == byId->second.end()) return;
  // Held here, so the callable survives a registration of its own pair while it runs.
  const SharedCallable callable = byType->second;
  (*callable)(event);
}

void RMLEventHandler::OnAttach(Rml::Element* element) { ++attachments[element].entries; }

void RMLEventHandler::OnDetach(Rml::Element* element) {
  const auto found = attachments.find(element);
  if (found == attachments.end()) return;
  if (--found->second.entries <= 0) attachments.erase(found);
}
