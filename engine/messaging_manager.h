#pragma once
// MessagingManager: formats, delivers and queues string messages, and carries the reply.
//
//   std::string dt = messaging.PostFormatted("decs_get_dt", 4);       // delivered now
//   messaging.PostFormatted("scene %s", 1, sceneName.c_str());        // data always via "%s"
//   messaging.QueueFormatted("decs_exit", 4);                         // at the end of the pass
//
// Formatting is printf-style into one 512-byte buffer; a longer text is cut to 511 characters
// and the cut is logged. A posted message is handled by every receiver it reaches before the
// post returns, and the post returns the reply the last handler set with ReplyFormatted (empty
// when none did). Single-threaded: the buffer and the reply are shared.

#include <cstdarg>
#include <cstddef>
#include <deque>
#include <string>

#include "engine/base_manager.h"
#include "engine/type_name.h"

class EngineClock;

#define KELVARIS_PRINTF_FORMAT(formatIndex, firstArgument) \
  __attribute__((format(printf, formatIndex, firstArgument)))

class MessagingManager : public BaseManager {
 public:
  // `root` is where untargeted deliveries start (DECS); `clock` times the deliveries.
  MessagingManager(MessageReciever* root, const EngineClock* clock);

  // Formats a message and delivers it from the root at `level`; returns the reply.
  std::string PostFormatted(const char* format, int level, ...) KELVARIS_PRINTF_FORMAT(2, 4);

  // The same, starting the delivery at `receiver` instead of the root.
  std::string PostFormattedTo(MessageReciever* receiver, const char* format, int level, ...)
      KELVARIS_PRINTF_FORMAT(3, 5);

  // Formats a message and queues it; DeliverQueued delivers it at the end of the pass.
  void QueueFormatted(const char* format, int level, ...) KELVARIS_PRINTF_FORMAT(2, 4);

  // Delivers queued messages in order, also those queued while it runs. At most
  // kMaxDeliveriesPerPass are delivered per call; the rest wait for the next call, so a
  // message that queues itself again cannot hold the main loop.
  void DeliverQueued();

  // Sets the reply of the message being delivered.
  void ReplyFormatted(const char* format, ...) KELVARIS_PRINTF_FORMAT(2, 3);

  std::size_t QueuedCount() const { return messageQueue.size(); }

  // Seconds spent delivering messages since the manager was created.
  double deliverySeconds = 0.0;

  static constexpr std::size_t kFormatBufferSize = 512;
  static constexpr std::size_t kMaxDeliveriesPerPass = 4096;

 private:
  struct QueuedMessage {
    std::string text;
    int level;
  };

  // Formats into formatBuffer and returns a copy, logging when the text had to be cut.
  std::string Format(const char* format, va_list arguments);
  std::string Deliver(MessageReciever* receiver, const std::string& text, int level);

  MessageReciever* decs;
  const EngineClock* clock;
  std::string replyText;
  std::deque<QueuedMessage> messageQueue;
  char formatBuffer[kFormatBufferSize] = {};
};
DECLARE_TYPE_NAME(class, MessagingManager);
