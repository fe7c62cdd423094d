#pragma once
// Log messages of the library. They go to the system interface's LogMessage; without one they
// go to standard error. Text from documents is always passed as an argument, never as a format.

#include "rml/types.h"

namespace Rml {

class Log {
 public:
  enum Type { LT_ALWAYS, LT_ERROR, LT_ASSERT, LT_WARNING, LT_INFO, LT_DEBUG, LT_MAX };

  // Formats (printf-style) and sends one message; over-long messages are cut at 1023 bytes.
  static void Message(Type type, const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Sends a message once per distinct text for the life of the library (until Shutdown):
  // for unknown properties and values that every element would otherwise repeat.
  static void MessageOnce(Type type, const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Forgets which messages were sent once.
  static void ResetOnce();
};

}  // namespace Rml
