#pragma once
// What the library asks of its host: the time, a place for log messages and how to join a
// relative URL to the document that names it.

#include <chrono>

#include "rml/log.h"

namespace Rml {

class SystemInterface {
 public:
  virtual ~SystemInterface() = default;
  // Seconds since some fixed start (the default: since this interface was made); drives
  // animations and double-click timing.
  virtual double GetElapsedTime();
  // Receives every log message; returns true to go on (the library ignores the result).
  virtual bool LogMessage(Log::Type type, const String& message);
  // Joins a relative path to the URL of the document that names it: the default puts the
  // path in the document's folder, and an absolute path ("/..." ) is kept as it is.
  virtual void JoinPath(String& translated_path, const String& document_path, const String& path);

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Joins path to document_path through the installed system interface (or the default join).
String JoinDocumentPath(const String& document_path, const String& path);

}  // namespace Rml
