#pragma once
// The controls file: { "Inputs": [ entry, ... ] }, one entry per binding.
//
//   { "_type": 0, "GameAction": "DASH", "boundInput": 111 }
//   { "_type": 1, "GameAction": "X_AXIS", "boundInput": 18, "boundInput2": 21,
//     "sensitivity": 1.0, "invert": false }
//
// "_type" 0 binds one slot; "_type" 1 is an axis: "boundInput" drives the negative direction and
// "boundInput2" the positive one; "sensitivity" (default 1.0) and "invert" (default false) are
// optional and read only for axes. Slot numbers are those of input_slots.h. Entries are kept per
// action in file order.
//
// An entry that cannot be used is skipped with a line on standard output naming the file, the
// entry's position and the reason: a "_type" other than 0 or 1, an unknown action, a missing key,
// a value of the wrong kind, or a slot outside 0..131 (0..132 for "boundInput2", where 132 means
// none). The rest of the file still applies.

#include <nlohmann/json.hpp>
#include <string>

#include "platform/input_binding.h"

// The bindings of a controls document. `path` only names the file in the log lines. A document
// without an "Inputs" array binds nothing and prints nothing (LoadControls reports it).
ActionBindings ParseControls(const nlohmann::json& document, const std::string& path);

// Reads the controls file at `path` into `bindings`, replacing every list. When the file cannot
// be read or is not a controls document, every list is left empty, `problem` says why (the
// reading error, or "it has no "Inputs" array") and the result is false. Nothing is printed
// for that: what follows from it (the defaults taking over, or no input) is the caller's to
// say, in one line.
bool LoadControls(const std::string& path, ActionBindings& bindings, std::string& problem);
