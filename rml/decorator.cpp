#include "rml/decorator.h"

#include <map>

#include "rml/decorator_builtin.h"
#include "rml/log.h"
#include "rml/string_utilities.h"
#include "rml/style_sheet.h"

namespace Rml {
namespace {

std::map<String, DecoratorInstancer*>& Instancers() {
  static std::map<String, DecoratorInstancer*> instancers;
  return instancers;
}

}  // namespace

Decorator::~Decorator() = default;

int Decorator::AddTexture(Texture texture) {
  if (!texture) return -1;
  for (size_t i = 0; i < textures_.size(); ++i)
    if (textures_[i] == texture) return int(i);
  textures_.push_back(texture);
  return int(textures_.size()) - 1;
}

Texture Decorator::GetTexture(int index) const {
  return index >= 0 && index < int(textures_.size()) ? textures_[size_t(index)] : Texture();
}

Texture DecoratorInstancerInterface::GetTexture(const String& filename) const {
  return TextureSource(filename, document_path_).GetTexture(render_manager_);
}

const Sprite* DecoratorInstancerInterface::GetSprite(const String& name) const {
  return style_sheet_ != nullptr ? style_sheet_->FindSprite(name) : nullptr;
}

namespace Factory {

void RegisterDecoratorInstancer(const String& name, DecoratorInstancer* instancer) {
  if (instancer == nullptr)
    Instancers().erase(StringUtilities::ToLower(name));
  else
    Instancers()[StringUtilities::ToLower(name)] = instancer;
}

DecoratorInstancer* GetDecoratorInstancer(const String& name) {
  auto& instancers = Instancers();
  auto found = instancers.find(StringUtilities::ToLower(name));
  if (found != instancers.end()) return found->second;
  return GetBuiltinDecoratorInstancer(StringUtilities::ToLower(name));
}

void ResetDecoratorInstancers() { Instancers().clear(); }

DecoratorList InstanceDecorators(const String& value,
                                 const DecoratorInstancerInterface& instancer_interface,
                                 const String& source) {
  DecoratorList decorators;
  StringList items;
  StringUtilities::SplitOutsideBrackets(items, value, ',');
  for (const String& item : items) {
    if (item.empty() || StringUtilities::ToLower(item) == "none") continue;
    const size_t open = item.find('(');
    const bool closed = open != String::npos && item.back() == ')';
    const String name = StringUtilities::Trim(open == String::npos ? item : item.substr(0, open));
    if (open != String::npos && !closed) {
      Log::MessageOnce(Log::LT_WARNING, "%s: decorator '%s' has no closing parenthesis",
                       source.c_str(), item.c_str());
      continue;
    }
    DecoratorInstancer* instancer = GetDecoratorInstancer(name);
    if (instancer == nullptr) {
      Log::MessageOnce(Log::LT_WARNING, "%s: unknown decorator '%s'", source.c_str(), name.c_str());
      continue;
    }
    const String arguments = closed ? item.substr(open + 1, item.size() - open - 2) : String();
    PropertyDictionary properties;
    String error;
    if (!instancer->ParseProperties(properties, arguments, error)) {
      Log::MessageOnce(Log::LT_WARNING, "%s: decorator '%s': %s", source.c_str(), name.c_str(),
                       error.c_str());
      continue;
    }
    if (std::shared_ptr<Decorator> decorator =
            instancer->InstanceDecorator(name, properties, instancer_interface))
      decorators.push_back(std::move(decorator));
  }
  return decorators;
}

}  // namespace Factory
}  // namespace Rml
