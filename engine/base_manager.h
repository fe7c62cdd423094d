#pragma once
// The common base of the four managers. Managers sit at delivery level 2 and handle no command
// words of their own.

#include "engine/message_receiver.h"

class BaseManager : public MessageReciever {
 public:
  BaseManager() { level = 2; }
  void HandleMessage(const std::string&) override {}
};
