#pragma once
// RMLEventHandler: the one event listener of the user-interface documents, and the registry of
// the game's callables behind it.
//
//   handler.RegisterHandler("resume-button", "click", [](Rml::Event&) { Resume(); });
//   RMLEventHandler::AddRmlEventListener(&handler, document, "resume-button", "click");
//
// A callable is keyed by element id and event type, at most one per pair; registering a pair
// again replaces it. An event calls the callable of its target element's id and its type once,
// when it reaches the target itself, and only while the target's document is visible; events
// that merely bubble through a listened element call nothing. Documents and scripts register a
// callable that posts a message with "rml_register_handler <id> <type> <message>";
// "rml_attach_handlers" attaches the listener to every registered id in every document.
// Callables stay until Shutdown. The handler detaches itself from every element it was attached
// to when it is destroyed, so documents that outlive it never reach a freed listener.

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>

#include "engine/base_system.h"
#include "engine/type_name.h"
#include "rml/event.h"

namespace Rml {
class Context;
class Element;
}  // namespace Rml

// What the handler needs of the RML system.
struct RMLEventHandlerLinks {
  // The context holding the game's documents, or null while there is none.
  std::function<Rml::Context*()> context;
};

class RMLEventHandler : public BaseSystem, public Rml::EventListener {
 public:
  using Callable = std::function<void(Rml::Event&)>;

  RMLEventHandler() = default;
  ~RMLEventHandler() override;
  RMLEventHandler(const RMLEventHandler&) = delete;
  RMLEventHandler& operator=(const RMLEventHandler&) = delete;

  void SetLinks(RMLEventHandlerLinks value) { links = std::move(value); }

  // "rml_register_handler <id> <type> <message>" and "rml_attach_handlers"; anything else, or
  // a wrong argument count, is ignored.
  void HandleMessage(const std::string& message) override;
  void Init() override;
  void Shutdown() override;

  // Stores `callable` for (id, type), replacing an earlier one. An empty callable is ignored.
  void RegisterHandler(const std::string& id, const std::string& type, Callable callable);
  // Attaches `handler` to the descendant of `element` with `id` for `type` (bubble phase). Does
  // nothing when the handler or the element is null or no such descendant exists; attaching
  // the same pair again is one attachment.
  static void AddRmlEventListener(RMLEventHandler* handler, Rml::Element* element,
                                  const std::string& id, const std::string& type);
  // For every document of the context and every registered id found in it: attaches the
  // listener for every type registered under that id.
  void AttachHandlers();
  bool HasHandler(const std::string& id, const std::string& type) const;

  void ProcessEvent(Rml::Event& event) override;
  void OnAttach(Rml::Element* element) override;
  void OnDetach(Rml::Element* element) override;

 private:
  // Shared, so a callable that replaces its own registration while it runs finishes first.
  using SharedCallable = std::shared_ptr<const Callable>;

  void Attach(Rml::Element* element, const std::string& type);
  // Attaches every type registered under `id` to that element of each document of the context,
  // or only the one type when given.
  void AttachInDocuments(const std::string& id, const std::string* onlyType);

  std::unordered_map<std::string, std::unordered_map<std::string, SharedCallable>> handlers;
  // The elements this listener is attached to: how many listener entries each holds and the
  // types it was attached for, so the handler can leave them. An element is forgotten once
  // every entry is gone (the element calls OnDetach for each, also when it is destroyed).
  struct Attachment {
    int entries = 0;
    std::set<std::string> types;
  };
  std::unordered_map<Rml::Element*, Attachment> attachments;
  RMLEventHandlerLinks links;
};
DECLARE_TYPE_NAME(class, RMLEventHandler);
