#include "platform/controls_file.h"

#include <cstdio>
#include <exception>
#include <optional>

#include "engine/json_file.h"

namespace {

// A slot number: a JSON integer, unsigned integer or floating-point number (truncated).
std::optional<int> ReadSlot(const nlohmann::json& value, int highest) {
  if (!value.is_number()) return std::nullopt;
  const double number = value.get<double>();
  if (!(number > -1.0 && number < static_cast<double>(highest) + 1.0)) return std::nullopt;
  return static_cast<int>(number);
}

// The binding of one entry, or the reason it is skipped.
std::optional<InputBinding> ReadEntry(const nlohmann::json& entry, int& action,
                                      std::string& reason) {
  if (!entry.is_object()) {
    reason = "it is not an object";
    return std::nullopt;
  }
  if (!entry.contains("_type")) {
    reason = "\"_type\" is missing";
    return std::nullopt;
  }
  const nlohmann::json& type = entry["_type"];
  const bool single = type.is_number() && type == 0;
  const bool axis = type.is_number() && type == 1;
  if (!single && !axis) {
    reason = "\"_type\" is neither 0 nor 1";
    return std::nullopt;
  }
  if (!entry.contains("GameAction") || !entry["GameAction"].is_string()) {
    reason = "\"GameAction\" is missing or not a string";
    return std::nullopt;
  }
  action = GameActionFromName(entry["GameAction"].get<std::string>());
  if (action == kGameActionCount) {
    reason = "\"GameAction\" names no action";
    return std::nullopt;
  }

  InputBinding binding;
  const auto input = entry.contains("boundInput")
                         ? ReadSlot(entry["boundInput"], kInputSlotCount - 1)
                         : std::nullopt;
  if (!input) {
    reason = "\"boundInput\" is missing or not a slot from 0 to 131";
    return std::nullopt;
  }
  binding.input = *input;
  if (single) return binding;

  const auto input2 =
      entry.contains("boundInput2") ? ReadSlot(entry["boundInput2"], NoInput) : std::nullopt;
  if (!input2) {
    reason = "\"boundInput2\" is missing or not a slot from 0 to 132";
    return std::nullopt;
  }
  binding.input2 = *input2;
  binding.kind = InputBinding::kAxis;
  if (entry.contains("sensitivity")) {
    const nlohmann::json& sensitivity = entry["sensitivity"];
    if (!sensitivity.is_number() && !sensitivity.is_boolean()) {
      reason = "\"sensitivity\" is not a number";
      return std::nullopt;
    }
    binding.sensitivity = sensitivity.get<float>();
  }
  if (entry.contains("invert")) {
    if (!entry["invert"].is_boolean()) {
      reason = "\"invert\" is not a boolean";
      return std::nullopt;
    }
    binding.invert = entry["invert"].get<bool>();
  }
  return binding;
}

bool IsControlsDocument(const nlohmann::json& document) {
  return document.is_object() && document.contains("Inputs") && document["Inputs"].is_array();
}

}  // namespace

ActionBindings ParseControls(const nlohmann::json& document, const std::string& path) {
  ActionBindings bindings;
  if (!IsControlsDocument(document)) return bindings;
  const nlohmann::json& entries = document["Inputs"];
  for (std::size_t index = 0; index < entries.size(); ++index) {
    int action = kGameActionCount;
    std::string reason;
    if (const auto binding = ReadEntry(entries[index], action, reason)) {
      bindings[static_cast<std::size_t>(action)].push_back(*binding);
    } else {
      std::printf("InputSystem : '%s' Inputs[%zu] skipped: %s\n", path.c_str(), index,
                  reason.c_str());
    }
  }
  return bindings;
}

bool LoadControls(const std::string& path, ActionBindings& bindings, std::string& problem) {
  for (auto& list : bindings) list.clear();
  problem.clear();
  JsonFile file;
  std::string openedPath = path;
  try {
    LoadJsonFile(file, openedPath);
  } catch (const std::exception& error) {
    problem = error.what();
    return false;
  }
  if (!IsControlsDocument(file.document)) {
    problem = "it has no \"Inputs\" array";
    return false;
  }
  bindings = ParseControls(file.document, openedPath);
  return true;
}
