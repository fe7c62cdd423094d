#pragma once
// Receivers of string messages and the delivery tree.
//
// Every receiver has a delivery level and a list of children. The engine builds one tree:
// DECS (level 4) over the four managers (level 2) and the renderer (level 3), with every system
// (level 1) under the SystemManager in registration order. Delivering a message at level L:
// level 0 reaches every receiver; any other level reaches the receivers of exactly that level,
// descending only through children whose level is at least L.

#include <string>
#include <vector>

class MessageReciever {
 public:
  virtual ~MessageReciever() = default;

  // Handles one message: a command word, then arguments separated by single blanks.
  // Receivers ignore every word they do not know and never throw on malformed arguments.
  virtual void HandleMessage(const std::string& message) = 0;

  // Hands the message to this receiver when the level matches (or is 0), then walks the
  // children whose level is at least `deliveryLevel`, depth first and in order.
  void Deliver(const std::string& message, int deliveryLevel);

  // Appends a receiver below this one; the child is not owned.
  void AddChild(MessageReciever* child);
  // Takes every link to `child` out of this receiver's list, for a child that goes away first.
  void RemoveChild(const MessageReciever* child);

  int level = 0;
  std::vector<MessageReciever*> children;
};
