#pragma once
// Wiring a menu's document to the game: a callable registered with the event handler under an
// element id and an event type, and the handler attached to that element of the document.

#include <string>

#include "ui/rml_event_handler.h"

namespace Rml {
class ElementDocument;
}  // namespace Rml

// Does nothing without a handler or a document; a missing element is only registered.
void ListenToMenuElement(RMLEventHandler* handler, Rml::ElementDocument* document,
                         const std::string& id, const std::string& type,
                         RMLEventHandler::Callable callable);

// Posts `text` through the messaging manager ("%s": never a format); delivered at once. Returns
// the reply of the receivers (empty when none replied).
std::string PostMenuMessage(const std::string& text, int deliveryLevel = 1);

// Queues `text` ("%s"); delivered at the end of the main loop's pass.
void QueueMenuMessage(const std::string& text, int deliveryLevel = 1);
