#include "rml/core.h"

#include "rml/context.h"
#include "rml/decorator.h"
#include "rml/log.h"
#include "rml/render_manager.h"
#include "rml/system_interface.h"

namespace Rml {
namespace {

struct LibraryState {
  RenderInterface* render_interface = nullptr;
  SystemInterface* system_interface = nullptr;
  std::unique_ptr<FontEngineInterface> font_engine;
  std::vector<std::unique_ptr<Context>> contexts;
  bool initialised = false;
};

LibraryState& State() {
  static LibraryState state;
  return state;
}

}  // namespace

bool Initialise() {
  LibraryState& state = State();
  if (state.initialised) return true;
  state.font_engine = CreateDefaultFontEngine();
  state.initialised = true;
  return true;
}

void Shutdown() {
  LibraryState& state = State();
  state.contexts.clear();
  TextureDatabase::ReleaseAll();
  if (FontEngineInterface* engine = GetFontEngineInterface()) engine->ReleaseFontResources();
  state.font_engine.reset();
  state.initialised = false;
  Log::ResetOnce();
  Factory::ResetDecoratorInstancers();
}

void SetRenderInterface(RenderInterface* render_interface) {
  State().render_interface = render_interface;
}
RenderInterface* GetRenderInterface() { return State().render_interface; }
void SetSystemInterface(SystemInterface* system_interface) {
  State().system_interface = system_interface;
}
SystemInterface* GetSystemInterface() { return State().system_interface; }

FontEngineInterface* GetFontEngineInterface() { return State().font_engine.get(); }

Context* CreateContext(const String& name, Vector2i dimensions, RenderInterface* render_interface,
                       void*) {
  LibraryState& state = State();
  if (!state.initialised) {
    Log::Message(Log::LT_ERROR, "Cannot create context '%s': the library is not initialised",
                 name.c_str());
    return nullptr;
  }
  if (GetContext(name) != nullptr) {
    Log::Message(Log::LT_WARNING, "A context named '%s' exists already", name.c_str());
    return nullptr;
  }
  RenderInterface* chosen = render_interface != nullptr ? render_interface : state.render_interface;
  state.contexts.push_back(std::make_unique<Context>(name, chosen));
  state.contexts.back()->SetDimensions(dimensions);
  return state.contexts.back().get();
}

bool RemoveContext(const String& name) {
  auto& contexts = State().contexts;
  for (auto it = contexts.begin(); it != contexts.end(); ++it) {
    if ((*it)->GetName() == name) {
      contexts.erase(it);
      return true;
    }
  }
  return false;
}

Context* GetContext(const String& name) {
  for (const auto& context : State().contexts)
    if (context->GetName() == name) return context.get();
  return nullptr;
}

bool LoadFontFace(const String& file_path, bool fallback_face, FontWeight weight, int face_index) {
  FontEngineInterface* engine = GetFontEngineInterface();
  if (engine == nullptr) {
    Log::Message(Log::LT_ERROR, "Cannot load font '%s': the library is not initialised",
                 file_path.c_str());
    return false;
  }
  return engine->LoadFontFace(file_path, face_index, fallback_face, weight);
}

}  // namespace Rml
