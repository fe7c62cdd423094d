#include "engine/message_receiver.h"

void MessageReciever::Deliver(const std::string& message, int deliveryLevel) {
  if (deliveryLevel == 0 || deliveryLevel == level) HandleMessage(message);
  // Indexed on purpose: a handler may add receivers while the message travels.
  for (std::size_t i = 0; i < children.size(); ++i) {
    MessageReciever* child = children[i];
    if (child->level >= deliveryLevel) child->Deliver(message, deliveryLevel);
  }
}

void MessageReciever::AddChild(MessageReciever* child) { children.push_back(child); }

void MessageReciever::RemoveChild(const MessageReciever* child) { std::erase(children, child); }
