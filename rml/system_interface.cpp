#include "rml/system_interface.h"

#include <chrono>
#include <cstdio>

#include "rml/core.h"

namespace Rml {

double SystemInterface::GetElapsedTime() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

bool SystemInterface::LogMessage(Log::Type type, const String& message) {
  static const char* const kNames[] = {"", "error", "assert", "warning", "info", "debug"};
  const char* name = type >= 0 && type < Log::LT_MAX ? kNames[type] : "";
  std::fprintf(stderr, "rml %s: %s\n", name, message.c_str());
  return true;
}

void SystemInterface::JoinPath(String& translated_path, const String& document_path,
                               const String& path) {
  if (!path.empty() && path[0] == '/') {
    translated_path = path;
    return;
  }
  const size_t slash = document_path.find_last_of('/');
  translated_path = slash == String::npos ? path : document_path.substr(0, slash + 1) + path;
}

String JoinDocumentPath(const String& document_path, const String& path) {
  String joined;
  if (SystemInterface* system = GetSystemInterface()) {
    system->JoinPath(joined, document_path, path);
    return joined;
  }
  SystemInterface fallback;
  fallback.JoinPath(joined, document_path, path);
  return joined;
}

}  // namespace Rml
