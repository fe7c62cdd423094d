#include "rml/log.h"

#include <cstdarg>
#include <cstdio>
#include <unordered_set>

#include "rml/core.h"
#include "rml/system_interface.h"

namespace Rml {
namespace {

std::unordered_set<String>& SentOnce() {
  static std::unordered_set<String> sent;
  return sent;
}

void Send(Log::Type type, const char* text) {
  if (SystemInterface* system = GetSystemInterface()) {
    system->LogMessage(type, text);
    return;
  }
  std::fprintf(stderr, "rml: %s\n", text);
}

}  // namespace

void Log::Message(Type type, const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  Send(type, buffer);
}

void Log::MessageOnce(Type type, const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  if (!SentOnce().insert(buffer).second) return;
  Send(type, buffer);
}

void Log::ResetOnce() { SentOnce().clear(); }

}  // namespace Rml
