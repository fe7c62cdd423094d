#include "scripting/lua/error.h"

namespace lua {

std::string_view StatusName(Status status) {
  switch (status) {
    case Status::ok:
      return "ok";
    case Status::yielded:
      return "yielded";
    case Status::runtime:
      return "runtime";
    case Status::syntax:
      return "syntax";
    case Status::memory:
      return "memory";
    case Status::handler:
      return "handler";
    case Status::file:
      return "file";
  }
  return "unknown";
}

std::string ChunkErrorText(Status status, bool hasMessage, std::string_view message) {
  std::string text = "sol: ";
  text += StatusName(status);
  text += " error";
  if (hasMessage) {
    text += ": ";
    text += message;
  }
  return text;
}

}  // namespace lua
