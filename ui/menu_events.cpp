#include "ui/menu_events.h"

#include <utility>

#include "engine/decs.h"
#include "engine/messaging_manager.h"
#include "rml/rml.h"

void ListenToMenuElement(RMLEventHandler* handler, Rml::ElementDocument* document,
                         const std::string& id, const std::string& type,
                         RMLEventHandler::Callable callable) {
  if (handler == nullptr || document == nullptr) return;
  handler->RegisterHandler(id, type, std::move(callable));
  RMLEventHandler::AddRmlEventListener(handler, document, id, type);
}

std::string PostMenuMessage(const std::string& text, int deliveryLevel) {
  if (!DECS::HasInstance()) return {};
  if (const auto messaging = DECS::Instance().GetManager<MessagingManager>()) {
    return messaging->PostFormatted("%s", deliveryLevel, text.c_str());
  }
  return {};
}

void QueueMenuMessage(const std::string& text, int deliveryLevel) {
  if (!DECS::HasInstance()) return;
  if (const auto messaging = DECS::Instance().GetManager<MessagingManager>()) {
    messaging->QueueFormatted("%s", deliveryLevel, text.c_str());
  }
}
