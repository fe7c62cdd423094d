#include "engine/messaging_manager.h"

#include <cstdio>

#include "engine/engine_clock.h"

MessagingManager::MessagingManager(MessageReciever* root, const EngineClock* clock)
    : decs(root), clock(clock) {}

std::string MessagingManager::Format(const char* format, va_list arguments) {
  const int length = std::vsnprintf(formatBuffer, kFormatBufferSize, format, arguments);
  if (length < 0) {
    std::printf("MessagingManager : could not format message '%s'\n", format);
    return {};
  }
  if (static_cast<std::size_t>(length) >= kFormatBufferSize) {
    std::printf("MessagingManager : message of %d characters cut to %zu: '%.48s...'\n", length,
                kFormatBufferSize - 1, formatBuffer);
  }
  // The copy lets nested posts reuse the buffer while this message is delivered.
  return std::string(formatBuffer);
}

std::string MessagingManager::Deliver(MessageReciever* receiver, const std::string& text,
                                      int level) {
  replyText.clear();
  const double start = clock->Now();
  receiver->Deliver(text, level);
  deliverySeconds += clock->Now() - start;
  return replyText;
}

std::string MessagingManager::PostFormatted(const char* format, int level, ...) {
  va_list arguments;
  va_start(arguments, level);
  const std::string text = Format(format, arguments);
  va_end(arguments);
  return Deliver(decs, text, level);
}

std::string MessagingManager::PostFormattedTo(MessageReciever* receiver, const char* format,
                                              int level, ...) {
  va_list arguments;
  va_start(arguments, level);
  const std::string text = Format(format, arguments);
  va_end(arguments);
  return Deliver(receiver, text, level);
}

void MessagingManager::QueueFormatted(const char* format, int level, ...) {
  va_list arguments;
  va_start(arguments, level);
  std::string text = Format(format, arguments);
  va_end(arguments);
  messageQueue.push_back({std::move(text), level});
}

void MessagingManager::DeliverQueued() {
  for (std::size_t delivered = 0; !messageQueue.empty(); ++delivered) {
    if (delivered == kMaxDeliveriesPerPass) {
      std::printf("MessagingManager : %zu queued messages carried over to the next pass\n",
                  messageQueue.size());
      return;
    }
    const QueuedMessage message = std::move(messageQueue.front());
    messageQueue.pop_front();
    Deliver(decs, message.text, message.level);
  }
}

void MessagingManager::ReplyFormatted(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  replyText = Format(format, arguments);
  va_end(arguments);
}
