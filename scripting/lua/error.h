#pragma once
// Errors of the binding layer.
//
// Bound C++ code reports a script mistake (a wrong argument type, a read-only field) by
// throwing lua::Error, or any std::exception; the layer catches it at the boundary of the bound
// function and raises it as a Lua error with the exception's text, after the C++ frames have
// been unwound. Protected calls report their outcome as a Status with the message text.

#include <stdexcept>
#include <string>
#include <string_view>

namespace lua {

// A script mistake detected in bound C++ code; its text becomes the Lua error message.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The outcome of loading or calling Lua code, numbered as Lua's own status codes.
enum class Status : int {
  ok = 0,
  yielded = 1,
  runtime = 2,
  syntax = 3,
  memory = 4,
  handler = 5,  // the message handler itself failed
  file = 6,
};

// "ok", "yielded", "runtime", "syntax", "memory", "handler", "file"; "unknown" otherwise.
std::string_view StatusName(Status status);

// The message given for an error value that is not a string.
inline constexpr std::string_view kUnknownError =
    "An unknown error has triggered the default error handler";

// The error text of a failed chunk load or run: "sol: <status> error", then ": " and the
// message when the error value was a string (`hasMessage`).
std::string ChunkErrorText(Status status, bool hasMessage, std::string_view message);

}  // namespace lua
